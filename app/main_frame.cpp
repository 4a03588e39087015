#include "app/main_frame.h"

#include "app/wall_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QStatusBar>

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
    for (const QString& text : {u"CAP"_s, u"NUM"_s, u"SCRL"_s})
        statusBar()->addPermanentWidget(IndicatorPane(text));
    statusBar()->setSizeGripEnabled(true);

    connect(view_, &CReelboardView::StatusText, this, &CMainFrame::SetMessageText);
    // F5 is the wall refresh; Ctrl+N and Ctrl+O, which would restart the pipeline on the same library,
    // are deliberately not bound.
    auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    refresh->setContext(Qt::ApplicationShortcut);
    connect(refresh, &QShortcut::activated, view_, &CReelboardView::OnWallRefresh);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, view_,
            [this](Qt::ApplicationState state) { view_->OnActivateApp(state == Qt::ApplicationActive); });
}

void CMainFrame::ShowAndStart() {
    show();
    view_->OnInitialUpdate();
}

QString CMainFrame::MessageText() const {
    return message_->text();
}

void CMainFrame::SetMessageText(const QString& text) {
    message_->setText(text.isEmpty() ? IdleText : text);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The view owns the library the threads use: stop them before anything is destroyed.
    view_->StopLibraryThreads();
    event->accept();
}
