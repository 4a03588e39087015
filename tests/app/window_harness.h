#pragma once

#include "app/main_frame.h"
#include "app/wall_view.h"
#include "library/movie_record.h"
#include "tests/support/temp_folder.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

// Everything the window tests share: the process set-up (a QApplication with the real browser on the
// offscreen platform, a home of its own, a dead proxy, a private session bus, a recording xdg-open),
// and a window over a small library in a temporary working folder, driven through page script.

// Waits, while the event loop runs, until `done` holds or `timeoutMs` passes; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// The paths the fake xdg-open was asked to open since the last ClearShellLog, in order.
QStringList ShellLog();
void ClearShellLog();

// One movie of a test library: a sparse video with a complete metadata file (so no web lookup).
struct TestMovie {
    QString relative; // path of the video inside the library folder
    QString title;
    QString overview = QStringLiteral("An overview.");
    bool poster = true;
};

class WindowHarness {
public:
    // Writes the library under the working folder's "movies" and "dirs.txt" listing it.
    explicit WindowHarness(const std::vector<TestMovie>& movies);
    ~WindowHarness();

    const TempFolder& folder() const { return folder_; }
    QString moviePath(const QString& relative) const;

    // Creates the window as the program does; `pipeline` replaces the real pipeline thread when set.
    // `beforeStart` sees the window before it is shown and its pipeline started.
    void open(CReelboardView::ThreadBody pipeline = {}, const std::function<void(CMainFrame*)>& beforeStart = {});
    // Opens the window and waits until the wall is shown.
    void openAndWaitForWall();
    // Closes the window as the user does and waits for the pipeline thread to end (tests share the
    // process and its current folder, so no thread may outlive its test).
    void close();

    CMainFrame* frame() const { return frame_.get(); }
    CReelboardView* view() const { return frame_->View(); }
    MovieLibrary& library() const { return *view()->Library(); }

    // The file name of the page shown ("menu.html", "detail.html", ...; empty for other addresses).
    QString shownPage() const;
    // Waits until the page named `page` is shown and its last load has finished.
    bool waitForPage(const QString& page, int timeoutMs = 20000);
    // Runs `action`, then waits until a page named `page` has loaded anew and is shown.
    bool actAndWaitForPage(const std::function<void()>& action, const QString& page, int timeoutMs = 10000);
    // Runs `script` in the page and returns its value (promises are not awaited).
    QVariant js(const QString& script, int timeoutMs = 10000);
    // Calls window.external.ExtCommand(command, arg) from the page and returns what the page receives.
    QVariant extCommand(int command, const QString& arg);
    // Clicks the element `selector` in the page (as the user would); false if there is none.
    bool click(const QString& selector);

    // Loads that have finished, successful or not.
    int loadCount() const { return int(loaded_.size()); }

private:
    TempFolder folder_;
    std::unique_ptr<CMainFrame> frame_;
    // File names of the pages whose loads succeeded ("" for other addresses), in order; a failed
    // load adds a null string.
    QStringList loaded_;
};

// A JavaScript string literal for `text`.
QString JsString(const QString& text);
