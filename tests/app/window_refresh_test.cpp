// F5, the keys and the links of the wall's head, in the real window.
#include "tests/app/window_harness.h"
#include "tests/app/window_test_support.h"

#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

// QtGui's own delivery of a key press to the shortcut map: what a real key press goes through first.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text = QString(), bool autorep = false, ushort count = 1);

namespace {

std::vector<TestMovie> ManyMovies(int count) {
    std::vector<TestMovie> movies;
    for (int n = 0; n < count; ++n)
        movies.push_back({u"films/Movie.%1.mkv"_s.arg(n, 2, 10, QChar(u'0')), u"Movie %1"_s.arg(n)});
    return movies;
}

class WindowRefresh : public ::testing::Test {
protected:
    // Enough movies for the wall to scroll.
    WindowRefresh() : harness(ManyMovies(60)) {}
    void SetUp() override {
        harness.open(QuietPipeline);
        ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    }

    // Marks the page in memory: a new load forgets the mark.
    void Mark() { harness.js(u"window.__mark = 1"_s); }
    bool Reloaded(int timeoutMs = 10000) {
        return WaitUntil([&] { return !harness.js(u"window.__mark === 1"_s).toBool(); }, timeoutMs);
    }
    bool StaysForAWhile() { return !Reloaded(800); }
    QString Path(int n) const { return harness.moviePath(u"films/Movie.%1.mkv"_s.arg(n, 2, 10, QChar(u'0'))); }
    void SetTitle(int n, const QString& title) {
        std::lock_guard lock(harness.library().RecordsMutex);
        for (MovieRecord& movie : harness.library().Movies)
            if (movie.FilePath == Path(n))
                movie.Title = title;
    }
    // A command given while the view is still finishing the previous page's load can go unanswered
    // on a loaded machine; the user would click again, and so does the test (at most three times).
    bool Show(int command, const QString& arg, const QString& page) {
        for (int attempt = 0; attempt < 3; ++attempt)
            if (harness.actAndWaitForPage([&] { harness.extCommand(command, arg); }, page))
                return true;
        return false;
    }
    bool Open(int command, int n, const QString& page = u"detail.html"_s) { return Show(command, Path(n), page); }
    // A key as the user presses it: through the window's shortcuts, then to the page.
    void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = harness.view()->focusProxy() ? harness.view()->focusProxy() : harness.view();
        if (qt_sendShortcutOverrideEvent(target, 0, key, modifiers))
            return;
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QCoreApplication::sendEvent(target, &release);
    }
    // A key sent to the page itself, as a check through the browser's DevTools does: no Qt shortcut sees it.
    void PageKey(const QString& key, bool alt = false, bool ctrl = false, const QString& target = u"document.body"_s) {
        harness.js(u"(%1 || document.body).dispatchEvent(new KeyboardEvent('keydown', {key: %2, altKey: %3, "
                   "ctrlKey: %4, bubbles: true, cancelable: true}))"_s.arg(target, JsString(key))
                       .arg(alt ? u"true"_s : u"false"_s)
                       .arg(ctrl ? u"true"_s : u"false"_s));
    }
    int ScrollY() { return harness.js(u"Math.round(window.scrollY)"_s).toInt(); }

    WindowHarness harness;
};

} // namespace

TEST_F(WindowRefresh, F5RebuildsThePageShownFromTheLibraryWhicheverWayTheKeyComes) {
    struct Case {
        const char* page;
        std::function<void()> show;
    };
    const std::vector<Case> pages = {
        {"menu.html", [&] { ASSERT_TRUE(Show(3, u""_s, u"menu.html"_s)); }},
        {"menu_search.html", [&] { ASSERT_TRUE(Show(3, u"movie"_s, u"menu_search.html"_s)); }},
        {"detail.html", [&] { ASSERT_TRUE(Open(1, 7)); }},
        {"detail.html", [&] { ASSERT_TRUE(Open(4, 7)); }},
    };
    int round = 0;
    for (const Case& c : pages) {
        for (bool throughPage : {false, true}) {
            SCOPED_TRACE(std::string(c.page) + (throughPage ? " key in the page" : " window shortcut"));
            c.show();
            const QString title = u"Renamed %1"_s.arg(++round);
            SetTitle(7, title);
            // A page just shown may not be laid out to its full height yet: scroll once it can.
            ASSERT_TRUE(WaitUntil([&] {
                harness.js(u"window.scrollTo(0, 300)"_s);
                return ScrollY() > 0;
            }));
            const int before = ScrollY();
            Mark();
            if (throughPage)
                PageKey(u"F5"_s);
            else
                PressKey(Qt::Key_F5);
            ASSERT_TRUE(Reloaded());
            ASSERT_TRUE(harness.waitForPage(QString::fromLatin1(c.page)));
            EXPECT_TRUE(WaitUntil([&] { return harness.js(u"document.body.innerHTML"_s).toString().contains(title); }));
            EXPECT_TRUE(WaitUntil([&] { return ScrollY() == before; })) << ScrollY() << " " << before;
        }
    }
}

TEST_F(WindowRefresh, EscBackspaceAndAltLeftGoBackToTheWallCtrlFReachesTheSearchBox) {
    struct Key {
        const char* name;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        QString pageKey;
        bool alt;
    };
    const std::vector<Key> keys = {{"Esc", Qt::Key_Escape, Qt::NoModifier, u"Escape"_s, false},
                                   {"Backspace", Qt::Key_Backspace, Qt::NoModifier, u"Backspace"_s, false},
                                   {"Alt+Left", Qt::Key_Left, Qt::AltModifier, u"ArrowLeft"_s, true}};
    for (const Key& key : keys) {
        for (bool throughPage : {false, true}) {
            SCOPED_TRACE(std::string(key.name) + (throughPage ? " key in the page" : " window shortcut"));
            ASSERT_TRUE(Open(1, 3));
            harness.view()->setFocus();
            EXPECT_TRUE(harness.actAndWaitForPage(
                [&] {
                    if (throughPage)
                        PageKey(key.pageKey, key.alt);
                    else
                        PressKey(key.qtKey, key.modifiers);
                },
                u"menu.html"_s));
        }
    }

    // Backspace in a text field of the edit form is the field's.
    ASSERT_TRUE(Open(4, 3));
    harness.js(u"document.getElementById('title').focus()"_s);
    Mark();
    PageKey(u"Backspace"_s, false, false, u"document.getElementById('title')"_s);
    EXPECT_TRUE(StaysForAWhile());
    EXPECT_EQ(harness.shownPage(), u"detail.html"_s);

    for (bool throughPage : {false, true}) {
        ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.extCommand(3, u""_s); }, u"menu.html"_s));
        harness.js(u"document.activeElement && document.activeElement.blur()"_s);
        if (throughPage)
            PageKey(u"f"_s, false, true);
        else
            PressKey(Qt::Key_F, Qt::ControlModifier);
        EXPECT_TRUE(WaitUntil([&] { return harness.js(u"document.activeElement.id"_s).toString() == u"q"_s; }))
            << (throughPage ? "key in the page" : "window shortcut");
    }
}

TEST_F(WindowRefresh, CtrlQClosesTheWindowAsTheCloseButtonDoes) {
    for (bool throughPage : {true, false}) {
        if (throughPage)
            PageKey(u"q"_s, false, true);
        else
            PressKey(Qt::Key_Q, Qt::ControlModifier);
        EXPECT_TRUE(WaitUntil([&] { return !harness.frame()->isVisible(); })) << throughPage;
        EXPECT_TRUE(harness.library().StopRequested);
        if (!throughPage)
            break;
        // Once more, through the window's shortcut, in a new window.
        harness.close();
        harness.open(QuietPipeline);
        ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
        harness.frame()->activateWindow();
        harness.view()->setFocus();
    }
}

TEST_F(WindowRefresh, HeadLinksOpenTheFolderListAndRescanIt) {
    // The list is opened in the user's editor (the fake one first in PATH records it), and made
    // from the built-in folders when it is missing.
    const QString list = harness.folder().file(u"dirs.txt"_s);
    const QByteArray listed = harness.folder().read(u"dirs.txt"_s);
    for (bool missing : {false, true}) {
        if (missing)
            QFile::remove(list);
        ClearShellLog();
        ASSERT_TRUE(harness.click(u"#edit-dirs"_s));
        EXPECT_TRUE(WaitUntil([&] { return ShellLog() == QStringList{list}; })) << ShellLog().join(u' ').toStdString();
        EXPECT_TRUE(QFile::exists(list));
    }
    EXPECT_TRUE(harness.folder().read(u"dirs.txt"_s).startsWith("\xFF\xFE"));
    EXPECT_NE(harness.folder().read(u"dirs.txt"_s), listed);

    // The user puts the movie folder back and adds a second one: the rescan shows both.
    harness.folder().mkdir(u"more"_s);
    harness.folder().sparse(u"more/Extra.mkv"_s, 30'000'001);
    harness.folder().write(
        u"dirs.txt"_s, Utf16Le(harness.folder().file(u"movies"_s) + u'\n' + harness.folder().file(u"more"_s), false));
    const std::weak_ptr<MovieLibrary> old = harness.view()->Library();
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#rescan"_s); }, u"menu.html"_s, 30000));
    EXPECT_TRUE(old.expired()) << "the old library's threads have ended";
    EXPECT_EQ(harness.js(u"document.querySelectorAll('.d').length"_s).toInt(), 61);
    EXPECT_EQ(harness.library().Movies.size(), 61u);
}
