#include "tests/app/window_harness.h"
#include "tests/app/window_test_support.h"

#include <QGuiApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

// QtGui's own delivery of a key press to the shortcut map: what a real key press goes through first
// (and what QTest uses).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text = QString(), bool autorep = false, ushort count = 1);

namespace {

class WindowRefresh : public ::testing::Test {
protected:
    WindowRefresh() : harness({{u"a/Alpha.mkv"_s, u"Alpha"_s}, {u"b/Beta.mkv"_s, u"Beta"_s}}) {}
    void SetUp() override {
        harness.open(QuietPipeline);
        ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    }

    void SetActive(bool active) {
        Q_EMIT qGuiApp->applicationStateChanged(active ? Qt::ApplicationActive : Qt::ApplicationInactive);
    }
    // Marks the page in memory: a reload forgets the mark.
    void Mark() { harness.js(u"window.__mark = 1"_s); }
    bool Reloaded(int timeoutMs = 5000) {
        return WaitUntil([&] { return !harness.js(u"window.__mark === 1"_s).toBool(); }, timeoutMs);
    }
    bool StaysForAWhile() { return !Reloaded(600); }
    void PressF5() { qt_sendShortcutOverrideEvent(harness.view(), 0, Qt::Key_F5, Qt::NoModifier); }
    void OpenDetail() {
        ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.js(u"document.querySelector('.d a').click()"_s); },
                                              u"detail.html"_s));
    }

    WindowHarness harness;
};

} // namespace

TEST_F(WindowRefresh, ActivationNoticesTrackTheApplicationState) {
    SetActive(false);
    EXPECT_TRUE(harness.view()->AppInactive());
    SetActive(true);
    EXPECT_FALSE(harness.view()->AppInactive());
}

TEST_F(WindowRefresh, TheWallIsReloadedOnlyInTheBackground) {
    SetActive(true);
    Mark();
    harness.library().Host.WallRefresh();
    EXPECT_TRUE(StaysForAWhile());

    SetActive(false);
    harness.library().Host.WallRefresh();
    EXPECT_TRUE(Reloaded());
    EXPECT_EQ(harness.shownPage(), u"menu.html"_s);

    // From the pipeline's own thread, as it really comes.
    Mark();
    std::thread([&] { harness.library().Host.WallRefresh(); }).join();
    EXPECT_TRUE(Reloaded());
}

TEST_F(WindowRefresh, OtherPagesAreNeverReloaded) {
    OpenDetail();
    SetActive(false);
    Mark();
    harness.library().Host.WallRefresh();
    EXPECT_TRUE(StaysForAWhile());
    PressF5();
    EXPECT_TRUE(StaysForAWhile());
}

TEST_F(WindowRefresh, F5ActsAsTheWallRefresh) {
    harness.frame()->activateWindow();
    SetActive(true);
    Mark();
    PressF5();
    EXPECT_TRUE(StaysForAWhile());
    SetActive(false);
    PressF5();
    EXPECT_TRUE(Reloaded());
}

TEST_F(WindowRefresh, ARebuiltDetailPageIsShownAgain) {
    OpenDetail();
    Mark();
    std::thread([&] { harness.library().Host.DetailRebuilt(harness.folder().file(u"detail.html"_s)); }).join();
    EXPECT_TRUE(Reloaded());
    EXPECT_EQ(harness.shownPage(), u"detail.html"_s);

    // Not while another page is shown.
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u".bar .back"_s); }, u"menu.html"_s));
    Mark();
    harness.library().Host.DetailRebuilt(harness.folder().file(u"detail.html"_s));
    EXPECT_TRUE(StaysForAWhile());
    EXPECT_EQ(harness.shownPage(), u"menu.html"_s);
}
