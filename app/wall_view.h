#pragma once

#include "library/movie_library.h"

#include <QElapsedTimer>
#include <QString>
#include <QWebEngineView>
#include <functional>
#include <memory>

class CScriptBridge;
class HostGate;

// The browser that fills the main window. It owns the library, runs the pipeline thread, shows the
// pages the pipeline and the page script ask for, and stops the threads when the window closes.
class CReelboardView : public QWebEngineView {
    Q_OBJECT
public:
    using ThreadBody = std::function<void(std::shared_ptr<MovieLibrary>)>;

    // `pipeline` runs on the pipeline thread; empty means the real one (BuildLibraryThread).
    explicit CReelboardView(QWidget* parent = nullptr, ThreadBody pipeline = {});
    ~CReelboardView() override;

    // Once, when the window is first shown: starts the pipeline thread and shows the waiting page.
    void OnInitialUpdate();
    // The pipeline's "library ready": script commands are accepted from now on; the start page shows.
    void OnLibraryReady();
    // The pipeline's wall refresh, and F5: reloads the wall, but only while the application is in the
    // background, so that it never changes under the user's hands.
    void OnWallRefresh();
    void OnActivateApp(bool active);
    // The pipeline rewrote "detail.html" after a retry: shown again if it is the page on screen.
    void OnDetailRebuilt();
    // The stop sequence, run when the window closes. Never waits for a busy thread.
    void StopLibraryThreads();

    // Page script's command `command` with `arg`; false (doing nothing) until the library is ready, and
    // for every page that is not one of Reelboard's own.
    bool ExtCommand(int command, const QString& arg);

    // Shows an address: "about:" followed by markup, a page file's full path, or a URL.
    void Navigate(const QString& address);

    const std::shared_ptr<MovieLibrary>& Library() const { return library_; }
    bool ScriptReady() const { return scriptReady_; }
    bool AppInactive() const { return appInactive_; }
    // Milliseconds since the last Navigate call and since the library became ready (for the wall
    // benchmark).
    qint64 SinceNavigation() const { return navigationClock_.elapsed(); }
    qint64 SinceReady() const { return readyClock_.isValid() ? readyClock_.elapsed() : -1; }

Q_SIGNALS:
    // A progress text for the main frame's status bar.
    void StatusText(const QString& text);

private:
    void ConnectLibraryHost();
    void KeepToOwnPages();

    std::shared_ptr<MovieLibrary> library_;
    std::shared_ptr<HostGate> gate_;
    ThreadBody pipeline_;
    CScriptBridge* bridge_ = nullptr;
    bool appInactive_ = false; // the window is activated as it is first shown
    bool scriptReady_ = false;
    bool started_ = false;
    bool stopped_ = false;
    QElapsedTimer navigationClock_;
    QElapsedTimer readyClock_;
};

// The page shown while the library is being built.
QString WaitingPageAddress();
