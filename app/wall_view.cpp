#include "app/wall_view.h"

#include "app/host_gate.h"
#include "app/page_guard.h"
#include "app/page_script.h"
#include "app/script_bridge.h"
#include "app/shell.h"
#include "app/temp_files.h"
#include "pages/builtin_texts.h"
#include "pages/detail_page.h"
#include "pages/filter_page.h"
#include "pages/text_codec.h"
#include "pages/wall_controls.h"
#include "pages/wall_item.h"
#include "pages/wall_page.h"
#include "pipeline/build_thread.h"
#include "pipeline/fallback.h"
#include "pipeline/thread_control.h"

#include <QColor>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
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
    // Dark before the first page has painted, as the pages are.
    page()->setBackgroundColor(QColor(0x0f, 0x11, 0x15));
    bridge_ = new CScriptBridge([this](int command, const QString& arg) { return ExtCommand(command, arg); }, this);
    InstallScriptBridge(page(), bridge_);
    InstallPageScript(page());
    changeTimer_ = new QTimer(this);
    changeTimer_->setSingleShot(true);
    changeTimer_->setInterval(150);
    connect(changeTimer_, &QTimer::timeout, this, &CReelboardView::FlushMovieChanges);
    connect(this, &QWebEngineView::loadFinished, this, &CReelboardView::OnLoadFinished);
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
    // The wall is not reloaded after each lookup: the changed movies' items are replaced in place.
    host.MovieChanged = [gate, this](const QString& path) { gate->Post([this, path] { OnMovieChanged(path); }); };
    // First start: the rewritten folder list opens in the user's editor.
    host.OpenFolderList = [gate](const QString& path) { gate->Post([path] { OpenWithShell(path); }); };
}

void CReelboardView::OnInitialUpdate() {
    if (started_)
        return; // one pipeline per library
    started_ = true;
    StartScan();
}

void CReelboardView::StartScan() {
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

void CReelboardView::OnActivateApp(bool active) {
    appInactive_ = !active;
}

QString CReelboardView::ShownFile() const {
    const QUrl shown = url();
    return shown.isLocalFile() ? shown.fileName() : QString();
}

void CReelboardView::OnMovieChanged(const QString& filePath) {
    pendingChanges_.insert(filePath);
    changedSinceLoad_.insert(filePath);
    if (!changeTimer_->isActive())
        changeTimer_->start();
}

void CReelboardView::FlushMovieChanges() {
    const QSet<QString> changed = std::exchange(pendingChanges_, {});
    if (!scriptReady_)
        return;
    const QString file = ShownFile();
    if (file == u"menu.html"_s || file == u"menu_search.html"_s)
        ReplaceWallItems(changed);
    // Only the movie's own detail view: an edit form holds what the user is typing.
    else if (file == u"detail.html"_s && shown_.mode == DetailView && changed.contains(shown_.movie))
        ShowAgain(ShowDetail(*library_, shown_.movie, DetailView));
}

void CReelboardView::ReplaceWallItems(const QSet<QString>& paths) {
    if (paths.isEmpty())
        return;
    std::vector<MovieRecord> records;
    {
        std::lock_guard lock(library_->RecordsMutex);
        if (movieIndex_.isEmpty())
            for (size_t i = 0; i < library_->Movies.size(); ++i)
                movieIndex_.insert(library_->Movies[i].FilePath, i);
        for (const QString& path : paths)
            if (auto found = movieIndex_.constFind(path); found != movieIndex_.cend())
                records.push_back(library_->Movies[*found]);
    }
    QJsonArray items;
    for (const MovieRecord& record : records)
        items.append(MakeWallItem(record)); // the thumbnail was made by the thread that stored the poster
    const QString call = u"window.ReelboardReplaceItems && window.ReelboardReplaceItems(%1)"_s.arg(
        QString::fromUtf8(QJsonDocument(items).toJson(QJsonDocument::Compact)));
    page()->runJavaScript(call);
}

void CReelboardView::ShowAgain(const QString& path) {
    if (path.isEmpty())
        return;
    page()->runJavaScript(u"window.scrollY"_s, [this, path](const QVariant& y) {
        if (stopped_)
            return;
        Navigate(path);
        restoreScroll_ = y.toInt();
    });
}

void CReelboardView::OnLoadFinished(bool ok) {
    // Navigations in quick succession (the waiting page twice, then the start page when the library
    // was ready at once) do not always end with the last: an earlier page of markup can still win,
    // and the start page that would show the wall is never loaded. Asked for again.
    if (ok && url() != requested_ && url().scheme() == u"data"_s && requested_.isValid() && renavigations_ < 3) {
        ++renavigations_;
        setUrl(requested_);
        return;
    }
    const QString file = ShownFile();
    if (ok && restoreScroll_ > 0)
        page()->runJavaScript(
            u"(window.AfterPlaced || function (then) { then(); })(function () { window.scrollTo(0, %1); })"_s.arg(
                restoreScroll_));
    restoreScroll_ = -1;
    if (ok && (file == u"menu.html"_s || file == u"menu_search.html"_s))
        ReplaceWallItems(changedSinceLoad_);
    changedSinceLoad_.clear();
}

void CReelboardView::RefreshShownPage() {
    if (!scriptReady_) {
        reload();
        return;
    }
    const QString file = ShownFile();
    QString path;
    if (file == u"menu.html"_s)
        path = BuildWallPage(*library_);
    else if (file == u"menu_search.html"_s)
        path = BuildFilterPage(*library_, shown_.searchText);
    else if (file == u"detail.html"_s)
        path = ShowDetail(*library_, shown_.movie, shown_.mode);
    if (path.isEmpty())
        reload();
    else
        ShowAgain(path);
}

void CReelboardView::BackToWall() {
    if (!scriptReady_)
        return;
    const QString file = ShownFile();
    bool facet = false;
    {
        std::lock_guard lock(library_->RecordsMutex);
        facet = !library_->Choice.Facet.isEmpty();
    }
    // A facet is left before the page, as the page's own keys do.
    if (facet && (file == u"menu.html"_s || file == u"menu_search.html"_s))
        ChangeWallChoice(FacetCommand, QString());
    else if (file != u"menu.html"_s)
        ExtCommand(3, QString());
}

void CReelboardView::FocusSearchBox() {
    page()->runJavaScript(u"(function(){var q=document.getElementById('q');if(q){q.focus();q.select();}})()"_s);
}

void CReelboardView::EditFolderList() {
    OpenWithShell(EnsureFolderList());
}

void CReelboardView::Rescan() {
    if (!scriptReady_ || stopped_)
        return;
    scriptReady_ = false;
    gate_->Close();
    const std::shared_ptr<MovieLibrary> old = std::exchange(library_, std::make_shared<MovieLibrary>());
    ::StopLibraryThreads(old);
    gate_ = std::make_shared<HostGate>(this);
    movieIndex_.clear();
    pendingChanges_.clear();
    changedSinceLoad_.clear();
    shown_ = {};
    Navigate(WaitingPageAddress());
    // A thread busy in a download ends at its next stop check; until then it may still store a
    // result the new scan should read. Each thread holds the old library until it ends.
    auto* wait = new QTimer(this);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    connect(wait, &QTimer::timeout, this, [this, wait, old, clock] {
        if (old.use_count() > 1 && clock->elapsed() < 30000)
            return;
        wait->deleteLater();
        if (!stopped_)
            StartScan();
    });
    wait->start(20);
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

void CReelboardView::Navigate(const QString& address) {
    navigationClock_.restart();
    renavigations_ = 0;
    if (address.startsWith(u"about:"_s)) {
        // The dark of the other pages, also for a page of bare markup.
        const QString html = u"<style>html{background:#0f1115;color:#e6e9ef}</style>"_s + address.mid(6);
        requested_ = QUrl(u"data:text/html;charset=utf-8,"_s + QString::fromLatin1(QUrl::toPercentEncoding(html)));
    } else if (address.startsWith(u'/')) {
        requested_ = QUrl::fromLocalFile(address);
    } else {
        requested_ = QUrl(address);
    }
    setUrl(requested_);
}
