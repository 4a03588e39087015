#include "tests/app/window_harness.h"
#include "tests/app/window_test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

std::vector<TestMovie> OneMovie() {
    return {{u"a/Alpha.mkv"_s, u"Alpha"_s}};
}

// Closes the window as the user does and returns how long the close took.
qint64 TimedClose(WindowHarness& harness) {
    QElapsedTimer clock;
    clock.start();
    harness.frame()->close();
    return clock.elapsed();
}

} // namespace

TEST(WindowClose, DeletesOnlyReelboardsOwnTemporaryFiles) {
    WindowHarness harness(OneMovie());
    harness.open(QuietPipeline);
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    const QStringList ours{u"update.tmp"_s, u"temAb12Cd.tmp"_s, u"tem000000.tmp"_s};
    const QStringList theirs{u"notes.tmp"_s,     u"temp.tmp"_s,          u"template.tmp"_s,  u"tem12.tmp"_s,
                             u"TEMABCDEF.TMP"_s, u"temAb12Cd.tmp.bak"_s, u"sub/update.tmp"_s};
    for (const QString& name : ours + theirs)
        harness.folder().write(name, "x");
    // Our names on something else than a plain file: a folder, and a link to a file of the user's.
    harness.folder().mkdir(u"tem111111.tmp"_s);
    ASSERT_TRUE(QFile::link(harness.folder().file(u"notes.tmp"_s), harness.folder().file(u"tem222222.tmp"_s)));

    EXPECT_LT(TimedClose(harness), 2000);
    for (const QString& name : ours)
        EXPECT_FALSE(QFileInfo::exists(harness.folder().file(name))) << name.toStdString();
    for (const QString& name : theirs + QStringList{u"tem111111.tmp"_s, u"tem222222.tmp"_s})
        EXPECT_TRUE(QFileInfo::exists(harness.folder().file(name))) << name.toStdString();
}

TEST(WindowClose, NeverWaitsForABusyPipelineThread) {
    WindowHarness harness(OneMovie());
    auto busy = std::make_shared<std::atomic<bool>>(false);
    auto statusAfterClose = std::make_shared<std::atomic<int>>(0);
    harness.open([busy, statusAfterClose](std::shared_ptr<MovieLibrary> library) {
        BuildLibrary(*library);
        *busy = true;
        // Work that does not look at the stop flag, like a transfer in progress.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        // The window is gone by now: this must return at once and reach nothing.
        ShowStatus(*library, u"late text"_s);
        *statusAfterClose = 1;
    });
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    ASSERT_TRUE(WaitUntil([&] { return busy->load(); }));
    EXPECT_LT(TimedClose(harness), 1000);
    harness.close();
    EXPECT_EQ(statusAfterClose->load(), 1);
}

TEST(WindowClose, ReleasesAPipelineThreadThatWaitsForTheWindow) {
    WindowHarness harness(OneMovie());
    auto texts = std::make_shared<std::atomic<int>>(0);
    harness.open([texts](std::shared_ptr<MovieLibrary> library) {
        BuildLibrary(*library);
        while (!library->StopRequested) {
            ShowStatus(*library, u"working"_s); // each one waits until the window has shown it
            ++*texts;
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return texts->load() > 20; }, 20000));
    EXPECT_LT(TimedClose(harness), 1000);
    harness.close(); // the thread has ended
}

TEST(WindowClose, BeforeTheLibraryIsReady) {
    WindowHarness harness(OneMovie());
    auto release = std::make_shared<std::atomic<bool>>(false);
    harness.open(HeldPipeline(release));
    ASSERT_TRUE(WaitUntil([&] { return harness.loadCount() > 0; }));
    EXPECT_LT(TimedClose(harness), 1000);
    EXPECT_FALSE(harness.view()->ScriptReady());
}

TEST(WindowClose, WithTheRealPipelineRunning) {
    WindowHarness harness(OneMovie());
    harness.openAndWaitForWall();
    EXPECT_LT(TimedClose(harness), 1000);
}
