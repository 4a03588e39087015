#pragma once

#include "library/movie_library.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QWebEngineView>
#include <functional>
#include <memory>

class CScriptBridge;
class HostGate;
class QTimer;

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
    void OnActivateApp(bool active);
    // The pipeline changed a movie's information or picture: the wall or filter page shown gets the
    // movie's new item in place (gathered for a moment, so a burst of posters is one page update);
    // the movie's detail view, if shown, is built again. An edit form or any other page stays.
    void OnMovieChanged(const QString& filePath);
    // F5: builds the page shown again from the library and shows it at the same scroll position.
    void RefreshShownPage();
    // Esc, Backspace, Alt+Left: out of the facet on a wall or filter page, else the wall (nothing when
    // it is shown already).
    void BackToWall();
    // Ctrl+F: the cursor in the page's search box.
    void FocusSearchBox();
    // Opens "dirs.txt" in the user's editor, creating it from the built-in folder list if missing.
    void EditFolderList();
    // Stops the threads, scans the folders of the current "dirs.txt" into a new library and shows
    // its wall. Every change is already in the metadata files, which the new scan reads; the scan
    // waits (a while) for the old threads to end, so that none is still storing a result.
    void Rescan();
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
    // Ctrl+Q from the page: close the window as its close button does.
    void CloseRequested();

private:
    // What the page shown displays, to build it again.
    struct ShownPage {
        QString movie;      // detail.html: the movie's FilePath
        int mode = 0;       // detail.html: detail view or edit form
        QString searchText; // menu_search.html
    };

    void ConnectLibraryHost();
    QString ShownFile() const;
    void FlushMovieChanges();
    void ReplaceWallItems(const QSet<QString>& paths);
    // Shows `path` (a page just built for what is shown) at the scroll position of the page shown.
    void ShowAgain(const QString& path);
    void OnLoadFinished(bool ok);
    void StartScan();
    // A sort or facet command: stores the new choice (also for the next start) and shows the wall or
    // filter page shown in it.
    void ChangeWallChoice(int command, const QString& arg);

    // FilePath to index in Movies, for the library it was made for (Movies never changes once ready).
    QHash<QString, size_t> movieIndex_;
    ShownPage shown_;
    QSet<QString> pendingChanges_;
    // Changes since the last page load: sent again once a wall page has loaded, in case they arrived
    // while its file was being written or read.
    QSet<QString> changedSinceLoad_;
    QTimer* changeTimer_ = nullptr;
    int restoreScroll_ = -1;
    QUrl requested_;        // what the last Navigate asked for
    int renavigations_ = 0; // times it was asked for again after an older page won
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
