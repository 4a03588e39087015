#include "app/app.h"
#include "tests/app/window_harness.h"
#include "tests/app/window_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::vector<TestMovie> ThreeMovies() {
    return {{u"heat/Heat.1995.mkv"_s, u"Heat"_s},
            {u"mist/Harbor.of.Mist.2011.mkv"_s, u"Harbor of Mist"_s},
            {u"other/Other.mkv"_s, u"Other"_s}};
}

} // namespace

TEST(WindowStart, ShowsTheWaitingPageThenTheWallOfTheLibrary) {
    WindowHarness harness(ThreeMovies());
    QStringList texts;
    harness.open({}, [&](CMainFrame* frame) { // the real pipeline
        EXPECT_EQ(frame->windowTitle(), u"Reelboard 1.05"_s);
        EXPECT_EQ(frame->menuWidget(), nullptr);
        EXPECT_EQ(frame->MessageText(), u"就绪"_s);
        QStringList panes;
        for (QLabel* label : frame->statusBar()->findChildren<QLabel*>())
            panes << label->text();
        EXPECT_TRUE(panes.contains(u"CAP"_s) && panes.contains(u"NUM"_s) && panes.contains(u"SCRL"_s));
        QObject::connect(frame->View(), &CReelboardView::StatusText, [&](const QString& text) { texts << text; });
    });
    // The view's own two texts come first, in order, before any of the pipeline's.
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts[0], u"搜索目录"_s);
    EXPECT_EQ(texts[1], u"搜索目录完成"_s);
    EXPECT_FALSE(harness.view()->ScriptReady());

    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    EXPECT_TRUE(harness.view()->ScriptReady());
    EXPECT_EQ(harness.js(u"document.querySelectorAll('.d').length"_s).toInt(), 3);
    EXPECT_TRUE(harness.js(u"document.body.textContent"_s).toString().contains(u" 3 部视频"_s));
    // Every progress text went to the message pane; when the work is done it is idle again.
    EXPECT_GT(texts.size(), 2);
    EXPECT_TRUE(WaitUntil([&] { return harness.library().Counts.PostersDone == 3; }, 30000));
    EXPECT_TRUE(WaitUntil([&] { return harness.frame()->MessageText().startsWith(u"查找完成：找到 "_s); }));
}

TEST(WindowStart, ScriptCommandsAreRefusedUntilTheLibraryIsReady) {
    WindowHarness harness(ThreeMovies());
    auto release = std::make_shared<std::atomic<bool>>(false);
    harness.open(HeldPipeline(release));
    ASSERT_TRUE(WaitUntil([&] {
        return harness.loadCount() > 0 &&
               harness.js(u"document.body.textContent"_s).toString() == u"搜索目录中，请稍等。。。"_s;
    }));

    const QString movie = harness.moviePath(u"heat/Heat.1995.mkv"_s);
    EXPECT_EQ(harness.extCommand(1, movie), QVariant(false));
    EXPECT_EQ(harness.extCommand(2, movie), QVariant(false));
    EXPECT_EQ(harness.extCommand(9, QString()), QVariant(false));
    EXPECT_FALSE(QFileInfo::exists(harness.folder().file(u"detail.html"_s)));
    EXPECT_TRUE(ShellLog().isEmpty());
    EXPECT_TRUE(harness.shownPage().isEmpty()); // still the waiting page

    *release = true;
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    EXPECT_EQ(harness.extCommand(9, QString()), QVariant(true));
}

TEST(WindowStart, CallsMadeBeforeTheChannelIsUpAreDelivered) {
    WindowHarness harness(ThreeMovies());
    harness.open(QuietPipeline);
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    // A page whose own script calls at once, while it is still being parsed (under the name of one
    // of the program's pages: no other page gets an answer).
    const QString page = harness.folder().file(u"detail.html"_s);
    harness.folder().write(u"detail.html"_s,
                           "<html><head><script>window.external.ExtCommand(3, 'heat').then(function (r) {"
                           " document.title = 'answered ' + r; });</script></head><body></body></html>");
    EXPECT_TRUE(harness.actAndWaitForPage([&] { harness.view()->Navigate(page); }, u"menu_search.html"_s));
}

// The browser defers only web pictures, so the wall itself keeps far pictures back: a big wall
// loads a few screens of them, and the rest as they come near.
TEST(WindowStart, ABigWallLoadsThePicturesNearTheViewOnly) {
    std::vector<TestMovie> movies;
    for (int n = 0; n < 400; ++n)
        movies.push_back({u"m%1/Movie.%1.mkv"_s.arg(n, 3, 10, QChar(u'0')), u"Movie %1"_s.arg(n)});
    WindowHarness harness(movies);
    harness.open();
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    const QString loadedInView = uR"((function () {
        var list = Array.from(document.images).filter(function (i) {
            var box = i.getBoundingClientRect(); return box.bottom > 0 && box.top < innerHeight; });
        return list.length > 0 && list.every(function (i) {
            return i.getAttribute('src') && i.complete && i.naturalWidth > 0; }); })())"_s;
    EXPECT_TRUE(WaitUntil([&] { return harness.js(loadedInView).toBool(); }));
    const int held = harness.js(u"document.querySelectorAll('img[data-src]').length"_s).toInt();
    EXPECT_GT(held, 100);
    EXPECT_LT(held, 400 - 64 + 1);

    harness.js(u"window.scrollTo(0, document.documentElement.scrollHeight)"_s);
    EXPECT_TRUE(WaitUntil([&] { return harness.js(loadedInView).toBool(); }));
    EXPECT_LT(harness.js(u"document.querySelectorAll('img[data-src]').length"_s).toInt(), held);
    // What the page holds back is the item's own picture, unchanged.
    EXPECT_TRUE(harness.js(u"document.querySelector('img[data-src]').getAttribute('data-src')"_s)
                    .toString()
                    .endsWith(u".mkv.thumb.jpg"_s));
}

TEST(WindowOptions, TheDesktopEntryStartsInAFolderOfItsOwn) {
    QFile entry(QStringLiteral(REELBOARD_SOURCE_DIR) + u"/app/resources/reelboard.desktop"_s);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QString exec;
    for (const QString& line : QString::fromUtf8(entry.readAll()).split(u'\n'))
        if (line.startsWith(u"Exec="_s))
            exec = line.mid(5);
    QStringList arguments = exec.split(u' ', Qt::SkipEmptyParts);
    ASSERT_FALSE(arguments.isEmpty());
    EXPECT_EQ(arguments.first(), u"reelboard"_s);
    EXPECT_TRUE(ParseWindowOptions(arguments).dataFolder);
    EXPECT_FALSE(ParseWindowOptions({u"reelboard"_s}).dataFolder);

    const QString folder = PrepareDataFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(folder.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + u'/'));
    EXPECT_NE(QFileInfo(folder).canonicalFilePath(), QFileInfo(qEnvironmentVariable("HOME")).canonicalFilePath());
}
