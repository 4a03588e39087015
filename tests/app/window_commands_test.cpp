#include "library/movie_xml.h"
#include "pages/card_marks.h"
#include "tests/app/window_harness.h"
#include "tests/app/window_test_support.h"
#include "tests/support/http_server.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A path a shell would trip over: an apostrophe, blanks, brackets, a hash and Chinese.
const QString HeatVideo = u"Heat (1995)/Heat's Night #1.mkv"_s;
const QString MistVideo = u"mist/雾港往事.2011.mkv"_s;
const QString OtherVideo = u"other/Other.Movie.mkv"_s;

std::vector<TestMovie> Movies() {
    return {{HeatVideo, u"Heat"_s}, {MistVideo, u"雾港往事"_s}, {OtherVideo, u"Other"_s}};
}

// Script that finds the wall item whose link text holds `text`, in any letter case.
QString Item(const QString& text) {
    return u"Array.from(document.querySelectorAll('.d')).find(function (d) {"
           " return d.textContent.toLowerCase().indexOf(%1) >= 0; })"_s.arg(JsString(text.toLower()));
}

class WindowCommands : public ::testing::Test {
protected:
    WindowCommands() : harness(Movies()) {}
    void SetUp() override {
        harness.open(QuietPipeline);
        ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
        ASSERT_TRUE(WaitUntil([&] { return harness.js(u"document.querySelectorAll('.d').length"_s).toInt() == 3; }));
    }

    bool ClickPoster(const QString& text) {
        return harness.actAndWaitForPage([&] { harness.js(Item(text) + u".querySelector('a').click()"_s); },
                                         u"detail.html"_s);
    }
    QString Text(const QString& selector) {
        return harness.js(u"document.querySelector(%1).textContent"_s.arg(JsString(selector))).toString();
    }
    const MovieRecord& Record(const QString& relative) {
        for (const MovieRecord& movie : harness.library().Movies)
            if (movie.FilePath == harness.moviePath(relative))
                return movie;
        static MovieRecord none;
        ADD_FAILURE() << "no record for " << relative.toStdString();
        return none;
    }
    // Nothing may reach the shell: give a wrongly started xdg-open time to show up.
    void ExpectShellUntouched() {
        QThread::msleep(300);
        QCoreApplication::processEvents();
        EXPECT_EQ(ShellLog(), QStringList());
    }

    WindowHarness harness;
};

} // namespace

TEST_F(WindowCommands, PosterOpensTheDetailViewAndTheBackButtonTheWall) {
    ASSERT_TRUE(ClickPoster(u"雾港往事"_s));
    EXPECT_EQ(Text(u".bar h1"_s), u"雾港往事.2011.mkv"_s);
    EXPECT_EQ(Text(u"h2.title"_s), u"雾港往事"_s);
    EXPECT_EQ(Text(u"#plot p"_s), u"An overview."_s);
    EXPECT_EQ(Text(u"#retry"_s), u"[重试]"_s);
    // Shown, not only there: nothing of the film page may sit inside the hidden related titles.
    EXPECT_GT(harness.js(u"document.querySelector('.info').getBoundingClientRect().height"_s).toInt(), 100);
    // The poster is shown from its file.
    EXPECT_TRUE(WaitUntil(
        [&] { return harness.js(u"document.querySelector('.pictures img').naturalWidth"_s).toInt() == 200; }));

    EXPECT_TRUE(harness.actAndWaitForPage([&] { harness.click(u".bar .back"_s); }, u"menu.html"_s));
}

TEST_F(WindowCommands, PlayLinksOpenTheExactFileWithTheShell) {
    harness.js(Item(u"heat"_s) + u".querySelector('a.s').click()"_s);
    const QString heat = harness.moviePath(HeatVideo);
    EXPECT_TRUE(WaitUntil([&] { return ShellLog() == QStringList{heat}; })) << ShellLog().join(u'|').toStdString();
    EXPECT_EQ(harness.shownPage(), u"menu.html"_s);

    ClearShellLog();
    ASSERT_TRUE(ClickPoster(u"heat"_s));
    harness.click(u"#play"_s);
    EXPECT_TRUE(WaitUntil([&] { return ShellLog() == QStringList{heat}; })) << ShellLog().join(u'|').toStdString();
}

TEST_F(WindowCommands, PathsThatAreNoMovieNeverReachTheShell) {
    const QString unknown = harness.folder().file(u"dirs.txt"_s);
    EXPECT_EQ(harness.extCommand(2, unknown), QVariant(true));
    EXPECT_EQ(harness.extCommand(6, unknown), QVariant(true));
    EXPECT_EQ(harness.extCommand(2, harness.moviePath(HeatVideo).toUpper()), QVariant(true));
    EXPECT_EQ(harness.extCommand(6, u"/bin/sh"_s), QVariant(true));
    ExpectShellUntouched();
}

TEST_F(WindowCommands, PlayWithoutAPathPlaysARandomMovieAndShowsIt) {
    ASSERT_TRUE(
        harness.actAndWaitForPage([&] { harness.js(u"window.external.ExtCommand(2, '')"_s); }, u"detail.html"_s));
    ASSERT_TRUE(WaitUntil([&] { return ShellLog().size() == 1; }));
    const QString played = ShellLog().first();
    EXPECT_TRUE(QStringList({harness.moviePath(HeatVideo), harness.moviePath(MistVideo), harness.moviePath(OtherVideo)})
                    .contains(played))
        << played.toStdString();
    EXPECT_EQ(Text(u".bar h1"_s), QFileInfo(played).fileName());
}

TEST_F(WindowCommands, SearchBoxFiltersAndOnlyQuotesShowTheWall) {
    auto search = [&](const QString& text, const QString& page) {
        return harness.actAndWaitForPage(
            [&] {
                harness.js(
                    u"document.getElementById('q').value = %1; document.querySelector('form button').click();"_s.arg(
                        JsString(text)));
            },
            page);
    };
    ASSERT_TRUE(search(u"NIGHT"_s, u"menu_search.html"_s));
    EXPECT_EQ(harness.js(u"document.querySelectorAll('.d').length"_s).toInt(), 1);
    EXPECT_TRUE(
        harness.js(u"document.body.textContent"_s).toString().contains(u"从 3 部视频中找到符合条件的视频 1 部"_s));

    // Quotes are dropped before the text is used: "mi'st" looks for "mist".
    ASSERT_TRUE(search(u"mi'st"_s, u"menu_search.html"_s));
    EXPECT_EQ(harness.js(u"document.getElementById('q').value"_s).toString(), u"mist"_s);
    EXPECT_EQ(harness.js(u"document.querySelectorAll('.d').length"_s).toInt(), 1);

    ASSERT_TRUE(search(u"'\"'"_s, u"menu.html"_s));
    EXPECT_EQ(harness.js(u"document.querySelectorAll('.d').length"_s).toInt(), 3);
}

TEST_F(WindowCommands, EditFormStoresWhatWasTypedExactly) {
    ASSERT_TRUE(ClickPoster(u"heat"_s));
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#edit"_s); }, u"detail.html"_s));
    ASSERT_TRUE(harness.js(u"!!document.getElementById('edit-form')"_s).toBool());
    EXPECT_EQ(harness.js(u"document.getElementById('overview').value"_s).toString(), u"An overview."_s);

    const QString title = u"He said \"hi\" & <b>it's</b>"_s;
    const QString overview = u"\nfirst line\n  second line & 'quoted'\n"_s;
    const QString notes = u"a `tick` here"_s;
    harness.js(
        u"document.getElementById('title').value = %1;"
        "document.getElementById('overview').value = %2;"
        "document.getElementById('notes').value = %3;"
        "document.getElementById('watched').value = '';"_s.arg(JsString(title), JsString(overview), JsString(notes)));
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#save"_s); }, u"detail.html"_s));
    EXPECT_FALSE(harness.js(u"!!document.getElementById('edit-form')"_s).toBool());

    MovieRecord stored;
    {
        std::lock_guard lock(harness.library().RecordsMutex);
        stored = Record(HeatVideo);
    }
    EXPECT_EQ(stored.Title, title);
    EXPECT_EQ(stored.Overview, overview);
    EXPECT_EQ(stored.Notes, u"a 'tick' here"_s); // the separator cannot be stored inside a field
    EXPECT_EQ(stored.watched, QString());
    EXPECT_EQ(stored.OriginalTitle, QString());
    EXPECT_EQ(Text(u"h2.title"_s), CardTitle(stored)); // the first of the titles it lists

    // Saved to the metadata file as well.
    MovieRecord reread;
    reread.FilePath = stored.FilePath;
    ReadMovieXml(reread);
    EXPECT_EQ(reread.Overview, overview);

    // The form shows the stored values again, unchanged.
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#edit"_s); }, u"detail.html"_s));
    EXPECT_EQ(harness.js(u"document.getElementById('title').value"_s).toString(), title);
    EXPECT_EQ(harness.js(u"document.getElementById('overview').value"_s).toString(), overview);
    EXPECT_EQ(harness.js(u"document.getElementById('notes').value"_s).toString(), stored.Notes);

    // Cancel goes back to the detail view.
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#cancel"_s); }, u"detail.html"_s));
    EXPECT_FALSE(harness.js(u"!!document.getElementById('edit-form')"_s).toBool());
}

TEST_F(WindowCommands, RetryLinkQueuesTheMovie) {
    ASSERT_TRUE(ClickPoster(u"雾港往事"_s));
    ASSERT_TRUE(harness.click(u"#retry"_s));
    MovieLibrary& library = harness.library();
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(library.QueueMutex);
        return !library.RetryQueue.empty();
    }));
    std::lock_guard lock(library.QueueMutex);
    ASSERT_EQ(library.RetryQueue.size(), 1u);
    EXPECT_EQ(library.RetryQueue[0], &Record(MistVideo)); // the record itself, not a copy
}

TEST_F(WindowCommands, UnknownCommandsAreAcceptedAndIgnored) {
    EXPECT_EQ(harness.extCommand(9, u"anything"_s), QVariant(true));
    EXPECT_EQ(harness.extCommand(0, QString()), QVariant(true));
    EXPECT_EQ(harness.extCommand(7, u"/not/a/movie"_s), QVariant(true));
    EXPECT_EQ(harness.shownPage(), u"menu.html"_s);
    std::lock_guard lock(harness.library().QueueMutex);
    EXPECT_TRUE(harness.library().RetryQueue.empty());
}

// A link to the web, from any page, goes to the user's browser and the view stays; a page from the web,
// even when shown, gets no answer from ExtCommand and changes nothing.
TEST_F(WindowCommands, WebPagesOpenInTheBrowserAndNeverReachTheProgram) {
    TestHttpServer web;
    const QString remote = u"http://127.0.0.1:%1/remote.html"_s.arg(web.Port());
    const QString route = u"http://127.0.0.1/remote.html"_s; // the server's routes leave out the port
    const QStringList form = {harness.moviePath(HeatVideo), u"hacked"_s, {}, {}, {}, {}, {}, {}, {}, {}};
    web.Serve(route, u"<html><body><script>window.external.ExtCommand(5, %1).then(function (r) {"
                     " window.__answer = r; });</script></body></html>"_s.arg(JsString(form.join(u'`')))
                         .toUtf8());

    ASSERT_TRUE(ClickPoster(u"heat"_s));
    harness.js(u"var a = document.createElement('a'); a.id = 'web'; a.href = %1; a.textContent = 'web';"
               u" document.body.appendChild(a);"_s.arg(JsString(remote)));
    ASSERT_TRUE(harness.click(u"#web"_s));
    EXPECT_TRUE(WaitUntil([&] { return ShellLog() == QStringList{remote}; })) << ShellLog().join(u'|').toStdString();
    QThread::msleep(300);
    QCoreApplication::processEvents();
    EXPECT_EQ(harness.shownPage(), u"detail.html"_s);
    EXPECT_EQ(web.HitCount(route), 0);

    const QByteArray metadata = harness.folder().read(u"movies/"_s + HeatVideo + u".xml"_s);
    harness.view()->Navigate(remote);
    ASSERT_TRUE(WaitUntil([&] { return harness.js(u"window.__answer === false"_s).toBool(); }));
    EXPECT_EQ(Record(HeatVideo).Title, u"Heat"_s);
    EXPECT_EQ(harness.folder().read(u"movies/"_s + HeatVideo + u".xml"_s), metadata);
}

// Stands in for the desktop's file manager on the test's session bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

TEST_F(WindowCommands, OpenFolderShowsTheFileInTheFileManager) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected());
    FakeFileManager manager;
    ASSERT_TRUE(bus.registerObject(u"/org/freedesktop/FileManager1"_s, &manager, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(u"org.freedesktop.FileManager1"_s));

    ASSERT_TRUE(ClickPoster(u"heat"_s));
    harness.click(u"#open-folder"_s);
    const QString uri = QUrl::fromLocalFile(harness.moviePath(HeatVideo)).toString(QUrl::FullyEncoded);
    EXPECT_TRUE(WaitUntil([&] { return manager.shown == QStringList{uri}; })) << manager.shown.join(u'|').toStdString();
    EXPECT_TRUE(ShellLog().isEmpty());

    bus.unregisterService(u"org.freedesktop.FileManager1"_s);
    bus.unregisterObject(u"/org/freedesktop/FileManager1"_s);
}

TEST_F(WindowCommands, OpenFolderFallsBackToTheFolderWithoutAFileManager) {
    ASSERT_TRUE(ClickPoster(u"heat"_s));
    harness.click(u"#open-folder"_s);
    const QString folder = QFileInfo(harness.moviePath(HeatVideo)).absolutePath();
    EXPECT_TRUE(WaitUntil([&] { return ShellLog() == QStringList{folder}; })) << ShellLog().join(u'|').toStdString();
}

TEST(WindowWall, SortAndFacetChooseTheFirstCardsAndAreKeptForTheNextStart) {
    WindowHarness harness(
        {{u"a/Alpha.mkv"_s, u"Alpha"_s}, {u"b/Beta.mkv"_s, u"Beta"_s}, {u"c/Gamma.mkv"_s, u"Gamma"_s}});
    const struct {
        QString relative, year, genres;
    } facts[] = {{u"a/Alpha.mkv"_s, u"1994"_s, u"剧情"_s},
                 {u"b/Beta.mkv"_s, u"2010"_s, u"动作"_s},
                 {u"c/Gamma.mkv"_s, u"2001"_s, u"剧情/犯罪"_s}};
    for (const auto& fact : facts) {
        MovieRecord movie;
        movie.FilePath = harness.moviePath(fact.relative);
        ReadMovieXml(movie);
        movie.ProductionYear = fact.year;
        movie.Genres = fact.genres;
        ASSERT_TRUE(WriteMovieXml(movie));
    }
    harness.open(QuietPipeline);
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    const auto cards = [&] {
        return harness.js(u"Array.from(document.querySelectorAll('main .d a.s')).map(a => a.textContent).join('|')"_s)
            .toString();
    };
    EXPECT_EQ(cards(), u"[1994]Alpha|[2010]Beta|[2001]Gamma"_s);

    // 年代: newest first.
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#sorts a[data-sort=year]"_s); }, u"menu.html"_s));
    EXPECT_EQ(cards(), u"[2010]Beta|[2001]Gamma|[1994]Alpha"_s);
    // 类型 剧情: only its movies, in the same order; the choice is kept for the next start.
    ASSERT_TRUE(harness.actAndWaitForPage(
        [&] {
            harness.js(u"var s = document.getElementById('facet-genre'); s.value = '剧情';"
                       " s.dispatchEvent(new Event('change'))"_s);
        },
        u"menu.html"_s));
    EXPECT_EQ(cards(), u"[2001]Gamma|[1994]Alpha"_s);
    const WallChoice kept = ReadWallChoice();
    EXPECT_EQ(kept.Sort, u"year"_s);
    EXPECT_EQ(kept.Facet, u"genre"_s);
    EXPECT_EQ(kept.FacetValue, u"剧情"_s);

    // The arrow keys move between the cards.
    harness.js(u"document.querySelector('.d a').focus();"
               " document.dispatchEvent(new KeyboardEvent('keydown', {key: 'ArrowRight', bubbles: true}))"_s);
    EXPECT_TRUE(
        harness.js(u"document.activeElement === document.querySelectorAll('.d > a:first-child')[1]"_s).toBool());
    // Esc leaves the facet before it leaves the page.
    ASSERT_TRUE(harness.actAndWaitForPage(
        [&] { harness.js(u"window.dispatchEvent(new KeyboardEvent('keydown', {key: 'Escape'}))"_s); }, u"menu.html"_s));
    EXPECT_EQ(cards(), u"[2010]Beta|[2001]Gamma|[1994]Alpha"_s);
    EXPECT_TRUE(ReadWallChoice().Facet.isEmpty());
}

TEST(WindowWall, AMovieNotFoundOffersItsOwnSearchWithWordsToEdit) {
    WindowHarness harness({{u"x/Lost.Film.2003.mkv"_s, QString(), u"错误：提取不到信息"_s, false}});
    harness.open(QuietPipeline);
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    EXPECT_EQ(harness.js(u"document.querySelector('.d .nf').textContent"_s).toString(), u"未找到"_s);
    ASSERT_TRUE(
        harness.actAndWaitForPage([&] { harness.js(u"document.querySelector('.d a').click()"_s); }, u"detail.html"_s));
    // Prefilled with the title made from the file name, not the file name.
    EXPECT_EQ(harness.js(u"document.getElementById('words').value"_s).toString(), u"lost film 2003"_s);
    ASSERT_TRUE(harness.actAndWaitForPage(
        [&] {
            harness.js(u"document.getElementById('words').value = 'Lost `Film'; "
                       "document.querySelector('#identify-form button').click()"_s);
        },
        u"detail.html"_s));
    EXPECT_TRUE(harness.js(u"document.getElementById('identify').textContent"_s).toString().contains(u"正在搜索"_s));
    std::lock_guard lock(harness.library().QueueMutex);
    ASSERT_EQ(harness.library().IdentifyQueue.size(), 1u);
    EXPECT_EQ(harness.library().IdentifyQueue[0].FilePath, harness.moviePath(u"x/Lost.Film.2003.mkv"_s));
    EXPECT_EQ(harness.library().IdentifyQueue[0].Words, u"Lost Film"_s);
}

#include "window_commands_test.moc"
