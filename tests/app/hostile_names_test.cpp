// File names and metadata values that try to break out of the pages, in the real window: every value
// shows as stored, every click hands the program the exact path, and nothing a value holds runs.
#include "extract/labels.h"
#include "library/file_name.h"
#include "library/movie_xml.h"
#include "pages/card_marks.h"
#include "pages/edit.h"
#include "pages/overview_rows.h"
#include "pages/wall_item.h"
#include "pages/wall_order.h"
#include "tests/app/window_harness.h"
#include "tests/app/window_test_support.h"
#include "tests/support/byte_names.h"
#include "tests/support/qt_printers.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Every payload sets a mark of its own when it runs; none ever may.
const QString NoMark = u"window.__pwned === undefined"_s;

struct Hostile {
    QString relative; // video path inside the library folder
    QString title;
    QString original;
    QString country;
    QString year;
    QString rating;
    QString genres;
    QString overview;
    QString notes;
    QString watched;
};

std::vector<Hostile> HostileMovies() {
    const QString longText = u"长"_s.repeated(4000) + u"<b>&amp;</b>"_s.repeated(500) + u"x"_s.repeated(1000);
    return {
        {u"quotes \"dq\" 'sq' & <amp>/It's \"Heat\" & <b>Co</b> #1 100%.mkv"_s, u"He said \"hi\" & it's <b>bold</b>"_s,
         u"<img src=x onerror=\"window.__pwned=1\">"_s, u"'\"><svg onload=window.__pwned=2>"_s, u"1995"_s, u"8.5"_s,
         u"a & b"_s, u"Line one\nline \"two\" & 'three'\n</p><script>window.__pwned=3</script>"_s,
         u"note <i>not italic</i>"_s, u"yes"_s},
        // Folders make the slashes: the path holds a whole closing script tag.
        {u"x</script><script>window.__pwned=4</script>y.mkv"_s, u"</script><script>window.__pwned=5</script>"_s,
         u"</textarea><script>window.__pwned=6</script>"_s, u"美国"_s, u"2001"_s, u"7"_s, u"犯罪"_s,
         u"</title></style></textarea>"_s, u"</div></span>"_s, QString()},
        {u"back\\slash\\n\\x27/C:\\new\\x3c\\u2028\\.mkv"_s, u"C:\\new\\table \\\\ \\'"_s,
         u"\\\"); window.__pwned=7; //"_s, QString(), u"1999"_s, QString(), u"a\\b"_s, u"ends with a backslash \\"_s,
         u"\\n is no line feed"_s, QString()},
        {u"percent %s %% %1 #hash ?q=1/100%% #2 ?.mkv"_s, u"%s %% %1 %d"_s, u"#top"_s, u"%"_s, u"2010"_s, u"100%"_s,
         u"%s"_s, u"50% off %s%s%s"_s, u"#"_s, QString()},
        {u"line\nfeed/Line\nFeed.mkv"_s, u"two\nlines"_s, QString(), QString(), u"2020"_s, QString(), QString(),
         u"\n\nstarts with line feeds"_s, u"tabs\tand\nfeeds\n"_s, QString()},
        // Carriage returns, as another program may write them: an untouched field keeps them when saved.
        {u"carriage\rreturn/Carriage\rReturn\r\n.mkv"_s, u"CR"_s, QString(), QString(), QString(), QString(), QString(),
         u"The path holds\r\ncarriage\rreturns.\r\n"_s, u"\r\n"_s, QString()},
        {u"rtl \u202E\u200F/\u202Egnp.exe\u202C.mkv"_s, u"\u200F\u202Eevil\u202C title"_s, u"\u200Eleft"_s, QString(),
         QString(), QString(), QString(), u"\u202Ereversed"_s, QString(), QString()},
        {u"grave `tick`/A `Grave` Movie.mkv"_s, u"Grave"_s, QString(), QString(), u"1980"_s, QString(), QString(),
         u"The path holds the field separator."_s, QString(), QString()},
        {u"payload/\");window.__pwned=8;'-window.__pwned=9-'.mkv"_s, u"');window.__pwned=10;//"_s, QString(), QString(),
         QString(), QString(), QString(), u"javascript:window.__pwned=11"_s, QString(), QString()},
        {u"L"_s.repeated(200) + u"/"_s + u"长"_s.repeated(70) + u".mkv"_s, longText, longText.left(300), QString(),
         QString(), QString(), QString(), longText, longText, QString()},
        // Names that are not UTF-8, from an old Windows disk: shown as their text, reached by their bytes.
        {DecodeFileName(QByteArray(GbkFolderName + '/' + GbkVideoName)), u"盗梦空间"_s, u"Inception"_s, u"美国"_s,
         u"2010"_s, QString(), QString(), u"A dream within a dream."_s, QString(), QString()},
    };
}

// The HTML parser reads a carriage return (alone or before a line feed) as a line feed.
QString AsParsed(QString text) {
    return text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
}

// The paragraphs of the plot, joined by U+2424.
const QString OverviewText =
    uR"JS(Array.from(document.querySelectorAll("#plot p:not(.none)")).map(function (p) { return p.textContent; }).join("\u2424"))JS"_s;

// What OverviewText reads for a stored overview: each line that is not a labelled row is a paragraph.
QString OverviewShown(const QString& overview) {
    return AsParsed(SplitOverview(overview).Plot.join(QChar(0x2424)));
}

// The line under the heading: the original title unless it is the heading, and the year.
QString SubtitleShown(const MovieRecord& movie) {
    QStringList parts;
    const QString original = CleanFieldValue(movie.OriginalTitle);
    if (!original.isEmpty() && original != CardTitle(movie))
        parts << original;
    if (MovieYear(movie))
        parts << QString::number(MovieYear(movie));
    return AsParsed(parts.join(u" · "_s));
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

class HostileNames : public ::testing::Test {
protected:
    HostileNames() : movies(HostileMovies()), harness(TestMovies()) {}

    std::vector<TestMovie> TestMovies() const {
        std::vector<TestMovie> list;
        for (const Hostile& movie : movies)
            list.push_back({movie.relative, movie.title, movie.overview});
        return list;
    }

    void SetUp() override {
        for (const Hostile& wanted : movies) {
            MovieRecord movie;
            movie.FilePath = harness.moviePath(wanted.relative);
            ReadMovieXml(movie);
            movie.Title = wanted.title;
            movie.OriginalTitle = wanted.original;
            movie.CountryOfOrigin = wanted.country;
            movie.ProductionYear = wanted.year;
            movie.Rating = wanted.rating;
            movie.Genres = wanted.genres;
            movie.Overview = wanted.overview;
            movie.Notes = wanted.notes;
            movie.watched = wanted.watched;
            ASSERT_TRUE(WriteMovieXml(movie));
        }
        harness.open(QuietPipeline);
        ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
        ASSERT_TRUE(WaitUntil([&] { return WallItems().size() == qsizetype(movies.size()); }));
    }

    MovieRecord Record(const QString& relative) {
        std::lock_guard lock(harness.library().RecordsMutex);
        for (const MovieRecord& movie : harness.library().Movies)
            if (movie.FilePath == harness.moviePath(relative))
                return movie;
        ADD_FAILURE() << "no record for " << relative.toStdString();
        return {};
    }

    // Tooltip, link text and picture address of every wall item, in page order.
    QJsonArray WallItems() {
        return QJsonDocument::fromJson(harness
                                           .js(u"JSON.stringify(Array.from(document.querySelectorAll('main .d'))"
                                               ".map(function (d) { var a = d.querySelectorAll('a');"
                                               " return {tip: a[0].title, text: a[1].textContent,"
                                               " picture: d.querySelector('img').getAttribute('src')}; }))"_s)
                                           .toString()
                                           .toUtf8())
            .array();
    }

    int ItemIndex(const MovieRecord& movie) {
        const QJsonArray items = WallItems();
        for (qsizetype i = 0; i < items.size(); ++i)
            if (items[i].toObject()[u"tip"_s].toString().startsWith(AsParsed(ReadableFileName(movie.FileName)) + u'\n'))
                return int(i);
        return -1;
    }

    QString Text(const QString& selector) {
        return harness.js(u"document.querySelector(%1).textContent"_s.arg(JsString(selector))).toString();
    }
    QString Value(const QString& id) {
        return harness.js(u"document.getElementById(%1).value"_s.arg(JsString(id))).toString();
    }

    // No payload ran, and none left an element that could run one later.
    void ExpectNothingRan(const QString& where) {
        QThread::msleep(50); // a failed picture reports its error a moment after the load
        QCoreApplication::processEvents();
        EXPECT_TRUE(harness.js(NoMark).toBool()) << where.toStdString();
        EXPECT_EQ(harness.js(u"document.querySelectorAll('[onerror], svg, [src=x]').length"_s).toInt(), 0)
            << where.toStdString();
    }

    // Clicks `selector` and waits until the program asked the shell to open exactly `path`.
    void ExpectShellGets(const QString& script, const QString& path) {
        ClearShellLog();
        harness.js(script);
        EXPECT_TRUE(WaitUntil([&] { return ShellLog() == QStringList{path}; }))
            << "wanted " << path.toStdString() << ", got " << ShellLog().join(u'|').toStdString();
    }

    std::vector<Hostile> movies;
    WindowHarness harness;
};

} // namespace

TEST_F(HostileNames, TheWallShowsEveryValueAndPlaysTheExactFile) {
    ExpectNothingRan(u"wall"_s);
    // Every poster loads from its percent-encoded address.
    EXPECT_TRUE(WaitUntil([&] {
        return harness
            .js(u"Array.from(document.querySelectorAll('main .d img')).every(function (i) {"
                " return i.complete && i.naturalWidth > 0; })"_s)
            .toBool();
    }));
    const QJsonArray items = WallItems();
    for (const Hostile& wanted : movies) {
        const MovieRecord movie = Record(wanted.relative);
        SCOPED_TRACE(movie.FilePath.toStdString());
        const int index = ItemIndex(movie);
        ASSERT_GE(index, 0);
        const QJsonObject item = items[index].toObject();
        QStringList tip{ReadableFileName(movie.FileName),
                        movie.Title,
                        movie.OriginalTitle,
                        movie.CountryOfOrigin,
                        movie.ProductionYear,
                        movie.Rating,
                        movie.Genres};
        EXPECT_EQ(item[u"tip"_s].toString(), AsParsed(tip.join(u'\n')));
        EXPECT_EQ(item[u"text"_s].toString(), AsParsed(BracketText(movie) + CardTitle(movie)));
        ExpectShellGets(u"document.querySelectorAll('main .d')[%1].querySelector('a.s').click()"_s.arg(index),
                        movie.FilePath);
    }
    ExpectNothingRan(u"wall after the clicks"_s);
}

TEST_F(HostileNames, DetailViewAndEditFormShowAndKeepEveryValue) {
    FakeFileManager fileManager;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerObject(u"/org/freedesktop/FileManager1"_s, &fileManager, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(u"org.freedesktop.FileManager1"_s));
    const auto unregister = qScopeGuard([&] {
        bus.unregisterService(u"org.freedesktop.FileManager1"_s);
        bus.unregisterObject(u"/org/freedesktop/FileManager1"_s);
    });
    for (const Hostile& wanted : movies) {
        const MovieRecord movie = Record(wanted.relative);
        SCOPED_TRACE(movie.FilePath.toStdString());
        const int index = ItemIndex(movie);
        ASSERT_GE(index, 0);
        ASSERT_TRUE(harness.actAndWaitForPage(
            [&] { harness.js(u"document.querySelectorAll('main .d')[%1].querySelector('a').click()"_s.arg(index)); },
            u"detail.html"_s));
        ExpectNothingRan(u"detail view"_s);
        EXPECT_EQ(Text(u".bar h1"_s), AsParsed(ReadableFileName(movie.FileName)));
        EXPECT_EQ(Text(u".bar .path"_s), AsParsed(ReadableFileName(movie.Folder)));
        EXPECT_EQ(Text(u"h2.title"_s), AsParsed(CardTitle(movie)));
        EXPECT_EQ(Text(u".original"_s), SubtitleShown(movie));
        EXPECT_EQ(
            harness
                .js(u"Array.from(document.querySelectorAll('table.meta td')).map(function (td) {"
                    " return td.textContent; }).join('|')"_s)
                .toString(),
            AsParsed(QStringList{movie.CountryOfOrigin, movie.ProductionYear, movie.Rating, movie.Genres}.join(u'|')));
        EXPECT_EQ(harness.js(OverviewText).toString(), OverviewShown(movie.Overview));
        EXPECT_EQ(Text(u"#notes"_s), AsParsed(movie.Notes));
        EXPECT_EQ(Text(u"#watched"_s), IsWatched(movie.watched) ? u"✓ 已看"_s : u"标为已看"_s);

        ExpectShellGets(u"document.getElementById('play').click()"_s, movie.FilePath);
        // The file manager is asked to show the file itself, by an address that names it exactly.
        fileManager.shown.clear();
        harness.click(u"#open-folder"_s);
        EXPECT_TRUE(WaitUntil([&] { return fileManager.shown.size() == 1; }));
        for (const QString& uri : fileManager.shown) {
            EXPECT_TRUE(uri.startsWith(u"file:///"_s)) << uri.toStdString();
            EXPECT_EQ(QByteArray::fromPercentEncoding(uri.mid(7).toLatin1()), EncodeFileName(movie.FilePath));
        }

        ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#edit"_s); }, u"detail.html"_s));
        ASSERT_TRUE(harness.js(u"!!document.getElementById('edit-form')"_s).toBool());
        ExpectNothingRan(u"edit form"_s);
        EXPECT_EQ(Value(u"path"_s), FormPath(movie.FilePath));
        EXPECT_EQ(Value(u"title"_s), AsParsed(movie.Title));
        EXPECT_EQ(Value(u"original"_s), AsParsed(movie.OriginalTitle));
        EXPECT_EQ(Value(u"overview"_s), AsParsed(movie.Overview));
        EXPECT_EQ(Value(u"notes"_s), AsParsed(movie.Notes));

        // Saving the form untouched stores every value as it was and shows the detail view again.
        ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#save"_s); }, u"detail.html"_s))
            << "the edit was refused";
        EXPECT_FALSE(harness.js(u"!!document.getElementById('edit-form')"_s).toBool());
        const MovieRecord saved = Record(wanted.relative);
        for (auto field : {&MovieRecord::Title, &MovieRecord::OriginalTitle, &MovieRecord::CountryOfOrigin,
                           &MovieRecord::ProductionYear, &MovieRecord::Rating, &MovieRecord::Genres,
                           &MovieRecord::Overview, &MovieRecord::Notes, &MovieRecord::watched})
            EXPECT_EQ(saved.*field, movie.*field);
        MovieRecord reread;
        reread.FilePath = movie.FilePath;
        ReadMovieXml(reread);
        EXPECT_EQ(reread.Overview, movie.Overview);
        EXPECT_EQ(reread.Notes, movie.Notes);

        // The retry link and the way back carry the exact path too.
        ASSERT_TRUE(harness.click(u"#retry"_s));
        EXPECT_TRUE(WaitUntil([&] {
            std::lock_guard lock(harness.library().QueueMutex);
            return harness.library().RetryQueue.size() == 1 &&
                   harness.library().RetryQueue[0]->FilePath == movie.FilePath;
        }));
        {
            std::lock_guard lock(harness.library().QueueMutex);
            harness.library().RetryQueue.clear();
        }
        ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u".bar .back"_s); }, u"menu.html"_s));
    }
}

TEST_F(HostileNames, ValuesTypedIntoTheEditFormAreStoredAsTyped) {
    const Hostile& wanted = movies[7]; // the path holds grave accents
    const MovieRecord movie = Record(wanted.relative);
    ASSERT_TRUE(harness.actAndWaitForPage(
        [&] { harness.js(u"window.external.ExtCommand(4, %1)"_s.arg(JsString(movie.FilePath))); }, u"detail.html"_s));
    const QString title = u"</textarea><script>window.__pwned=12</script> & \"q\" 'a' \\ %s #"_s;
    const QString overview = u"\u202Eone\ntwo</p><img src=x onerror=window.__pwned=13>"_s + u"z"_s.repeated(10000);
    harness.js(
        u"document.getElementById('title').value = %1; document.getElementById('overview').value = %2;"
        "document.getElementById('genres').value = 'with `grave` accents';"_s.arg(JsString(title), JsString(overview)));
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#save"_s); }, u"detail.html"_s));
    ExpectNothingRan(u"detail view after the edit"_s);
    const MovieRecord saved = Record(wanted.relative);
    EXPECT_EQ(saved.Title, title);
    EXPECT_EQ(saved.Overview, overview);
    EXPECT_EQ(saved.Genres, u"with 'grave' accents"_s); // the separator cannot be stored inside a field
    EXPECT_EQ(Text(u"h2.title"_s), AsParsed(CardTitle(saved)));
    EXPECT_EQ(harness.js(OverviewText).toString(), OverviewShown(overview));
}

TEST_F(HostileNames, TheFilterPageShowsTheSearchTextAndFindsHostileNames) {
    auto search = [&](const QString& text) {
        return harness.actAndWaitForPage(
            [&] {
                harness.js(
                    u"document.getElementById('q').value = %1; document.querySelector('form button').click();"_s.arg(
                        JsString(text)));
            },
            u"menu_search.html"_s);
    };
    ASSERT_TRUE(search(u"</script><img src=x onerror=window.__pwned=14> %s %% #"_s));
    ExpectNothingRan(u"filter page"_s);
    EXPECT_EQ(Value(u"q"_s), u"</script><img src=x onerror=window.__pwned=14> %s %% #"_s);
    EXPECT_EQ(WallItems().size(), 0);

    // Words of paths and values find their movies, and the items carry the exact path.
    ASSERT_TRUE(search(u"%1"_s));
    const MovieRecord percent = Record(movies[3].relative);
    ASSERT_EQ(WallItems().size(), 1);
    EXPECT_EQ(WallItems()[0].toObject()[u"tip"_s].toString().section(u'\n', 0, 0), percent.FileName);
    ExpectShellGets(u"document.querySelector('main .d a.s').click()"_s, percent.FilePath);

    ASSERT_TRUE(search(u"\u202Egnp"_s));
    ASSERT_EQ(WallItems().size(), 1);
    ExpectShellGets(u"document.querySelector('main .d a.s').click()"_s, Record(movies[6].relative).FilePath);

    // A name that is not UTF-8 is found by the words it shows.
    ASSERT_TRUE(search(u"电影/盗梦空间"_s));
    ASSERT_EQ(WallItems().size(), 1);
    ExpectShellGets(u"document.querySelector('main .d a.s').click()"_s, Record(movies.back().relative).FilePath);
    ExpectNothingRan(u"filter page after the clicks"_s);
}

#include "hostile_names_test.moc"
