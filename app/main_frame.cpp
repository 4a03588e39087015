#include "app/main_frame.h"

#include "app/wall_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString IdleText = u"就绪"_s;

QLabel* IndicatorPane(const QString& text) {
    auto* pane = new QLabel(text);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(u"SCRL"_s) + 16);
    pane->setFrameShape(QFrame::StyledPanel);
    pane->setFrameShadow(QFrame::Sunken);
    // The lock keys' states cannot be read portably on Linux; the panes are shown dimmed.
    pane->setEnabled(false);
    return pane;
}

} // namespace

QString FrameCaption() {
    return u"Reelboard 1.05"_s;
}

CMainFrame::CMainFrame(CReelboardView* view) : view_(view ? view : new CReelboardView) {
    setWindowTitle(FrameCaption());
    setWindowIcon(QIcon::fromTheme(u"reelboard"_s, QIcon(u":/reelboard/reelboard.png"_s)));
    resize(1280, 820);
    setCentralWidget(view_);

    message_ = new QLabel(IdleText);
    message_->setMinimumWidth(1); // long titles must not widen the window
    statusBar()->addWidget(message_, 1);
    progress_ = new QLabel;
    progress_->setFrameShape(QFrame::StyledPanel);
    progress_->setFrameShadow(QFrame::Sunken);
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);
    for (const QString& text : {u"CAP"_s, u"NUM"_s, u"SCRL"_s})
        statusBar()->addPermanentWidget(IndicatorPane(text));
    statusBar()->setSizeGripEnabled(true);

    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &CMainFrame::UpdateProgress);
    poll->start(200);

    connect(view_, &CReelboardView::StatusText, this, &CMainFrame::SetMessageText);
    connect(view_, &CReelboardView::CloseRequested, this, &QWidget::close);
    // Ctrl+N and Ctrl+O, which would restart the pipeline on the same library, are deliberately not
    // bound. The pages handle these keys as well (a key sent to the page never reaches a shortcut);
    // Backspace only there, where it is known whether a text field has it.
    const auto bind = [this](QKeySequence keys, auto slot) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, view_, slot);
    };
    bind(QKeySequence(Qt::Key_F5), &CReelboardView::RefreshShownPage);
    bind(QKeySequence(Qt::Key_Escape), &CReelboardView::BackToWall);
    bind(QKeySequence(Qt::ALT | Qt::Key_Left), &CReelboardView::BackToWall);
    bind(QKeySequence(Qt::CTRL | Qt::Key_F), &CReelboardView::FocusSearchBox);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setContext(Qt::ApplicationShortcut);
    connect(quit, &QShortcut::activated, this, &QWidget::close);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, view_,
            [this](Qt::ApplicationState state) { view_->OnActivateApp(state == Qt::ApplicationActive); });
}

void CMainFrame::UpdateProgress() {
    const WorkCounts& counts = view_->Library()->Counts;
    const int lookups = counts.LookupsQueued, lookupsDone = counts.LookupsDone;
    const int posters = counts.PostersQueued, postersDone = counts.PostersDone;
    if (lookupsDone < lookups || postersDone < posters) {
        progress_->setText(u"信息 %1/%2  图片 %3/%4"_s.arg(std::min(lookupsDone, lookups))
                               .arg(lookups)
                               .arg(std::min(postersDone, posters))
                               .arg(posters));
        progress_->show();
        return;
    }
    progress_->hide();
    progress_->clear();
    // Nothing queued yet (a scan is running): its texts stay.
    if (lookups + posters > 0 && std::exchange(workShown_, false))
        message_->setText(IdleMessage());
}

QString CMainFrame::ProgressText() const {
    return !progress_->isHidden() ? progress_->text() : QString();
}

void CMainFrame::ShowAndStart() {
    show();
    view_->OnInitialUpdate();
}

QString CMainFrame::MessageText() const {
    return message_->text();
}

QString CMainFrame::IdleMessage() const {
    // Once the lookups have ended, idle says how they went: a run where every one failed is no quiet
    // "ready".
    MovieLibrary& library = *view_->Library();
    std::lock_guard lock(library.RecordsMutex);
    return library.LookupSummary.isEmpty() ? IdleText : library.LookupSummary;
}

void CMainFrame::SetMessageText(const QString& text) {
    message_->setText(text.isEmpty() ? IdleMessage() : text);
    const WorkCounts& counts = view_->Library()->Counts;
    // Texts of the scan stay; those of the lookups and downloads give way to idle when all is done.
    if (counts.LookupsQueued > 0 || counts.PostersQueued > 0)
        workShown_ = true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The view owns the library the threads use: stop them before anything is destroyed.
    view_->StopLibraryThreads();
    event->accept();
}
