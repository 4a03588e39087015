#include "app/wall_view.h"

#include "app/host_gate.h"
#include "app/page_guard.h"
#include "app/script_bridge.h"
#include "app/script_commands.h"
#include "app/shell.h"
#include "app/temp_files.h"
#include "pages/builtin_texts.h"
#include "pages/text_codec.h"
#include "pipeline/build_thread.h"
#include "pipeline/thread_control.h"

#include <QDir>
#include <QUrl>
#include <QWebEngineNavigationRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>

using namespace Qt::StringLiterals;

QString WaitingPageAddress() {
    return u"about:<center>搜索目录中，请稍等。。。"_s;
}

CReelboardView::CReelboardView(QWidget* parent, ThreadBody pipeline)
    : QWebEngineView(parent), library_(std::make_shared<MovieLibrary>()), pipeline_(std::move(pipeline)) {
    if (!pipeline_)
        pipeline_ = [](std::shared_ptr<MovieLibrary> library) { BuildLibraryThread(std::move(library)); };
    gate_ = std::make_shared<HostGate>(this);
    // The pages are files in the working folder that show pictures from the movie folders.
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    bridge_ = new CScriptBridge([this](int command, const QString& arg) { return ExtCommand(command, arg); }, this);
    InstallScriptBridge(page(), bridge_);
    KeepToOwnPages();
    navigationClock_.start();
}

void CReelboardView::KeepToOwnPages() {
    // The view shows only Reelboard's pages: a link to the web opens in the user's browser and the
    // view stays where it is; any other way a page tries to leave is refused. The program's own
    // navigations (typed ones) always pass.
    connect(page(), &QWebEnginePage::navigationRequested, this, [](QWebEngineNavigationRequest& request) {
        // A frame inside a page, too, may show only a page of the working folder: the bridge answers
        // whatever the page on top shows.
        const bool own = IsOwnPage(request.url()) && (request.isMainFrame() || request.url().isLocalFile());
        if (request.navigationType() == QWebEngineNavigationRequest::TypedNavigation || own)
            return;
        request.reject();
        if (request.isMainFrame() && request.navigationType() == QWebEngineNavigationRequest::LinkClickedNavigation &&
            IsWebAddress(request.url()))
            OpenWithShell(request.url().toString(QUrl::FullyEncoded));
    });
    // No second window: a link meant for one opens in the browser too.
    connect(page(), &QWebEnginePage::newWindowRequested, this, [](QWebEngineNewWindowRequest& request) {
        if (request.isUserInitiated() && IsWebAddress(request.requestedUrl()))
            OpenWithShell(request.requestedUrl().toString(QUrl::FullyEncoded));
    });
}

CReelboardView::~CReelboardView() {
    // Normally the frame's close has stopped everything; this covers a window destroyed without it.
    StopLibraryThreads();
}

void CReelboardView::ConnectLibraryHost() {
    LibraryHost& host = library_->Host;
    std::shared_ptr<HostGate> gate = gate_;
    // The pipeline waits for status texts and for the ready handler, as it relies on their order;
    // refreshes are posted. Every call dies at the gate once the window is closing.
    host.ShowStatus = [gate, this](const QString& text) { gate->Send([this, text] { Q_EMIT StatusText(text); }); };
    host.LibraryReady = [gate, this] { gate->Send([this] { OnLibraryReady(); }); };
    host.WallRefresh = [gate, this] { gate->Post([this] { OnWallRefresh(); }); };
    host.DetailRebuilt = [gate, this](const QString&) { gate->Post([this] { OnDetailRebuilt(); }); };
    // First start: the rewritten folder list opens in the user's editor.
    host.OpenFolderList = [gate](const QString& path) { gate->Post([path] { OpenWithShell(path); }); };
}

void CReelboardView::OnInitialUpdate() {
    if (started_)
        return; // one pipeline per library
    started_ = true;
    ConnectLibraryHost();
    Q_EMIT StatusText(u"搜索目录"_s);
    StartLibraryThread(library_, 0, pipeline_);
    Q_EMIT StatusText(u"搜索目录完成"_s);
    Navigate(WaitingPageAddress());
}

void CReelboardView::OnLibraryReady() {
    if (stopped_)
        return;
    scriptReady_ = true;
    readyClock_.start();
    Navigate(DecodeText(StartPageText));
}

void CReelboardView::OnWallRefresh() {
    if (!appInactive_)
        return;
    if (url().toString().indexOf(u"menu.html"_s) > 0)
        reload();
}

void CReelboardView::OnActivateApp(bool active) {
    appInactive_ = !active;
}

void CReelboardView::OnDetailRebuilt() {
    const QUrl shown = url();
    if (shown.toString().contains(u"detail.html"_s))
        setUrl(shown);
}

void CReelboardView::StopLibraryThreads() {
    if (stopped_)
        return;
    stopped_ = true;
    scriptReady_ = false;
    // First release a pipeline thread that waits for this window, then stop and let go of the threads.
    gate_->Close();
    ::StopLibraryThreads(library_);
    // After the stop, so that no worker is still writing the temporaries being deleted; and only by a
    // window that ran a pipeline here.
    if (started_)
        DeleteOwnTempFiles(QDir::currentPath());
}

bool CReelboardView::ExtCommand(int command, const QString& arg) {
    // The channel does not say which document called; the one shown is the only one with the bridge.
    if (!scriptReady_ || !IsOwnPage(url()))
        return false;
    static const ShellCalls desktop{OpenWithShell, ShowInFileManager};
    const QString page = RunScriptCommand(*library_, command, arg, desktop);
    if (!page.isEmpty())
        Navigate(page);
    return true;
}

void CReelboardView::Navigate(const QString& address) {
    navigationClock_.restart();
    if (address.startsWith(u"about:"_s)) {
        setHtml(address.mid(6));
        return;
    }
    if (address.startsWith(u'/')) {
        setUrl(QUrl::fromLocalFile(address));
        return;
    }
    setUrl(QUrl(address));
}
