#pragma once

#include <QMainWindow>

class CReelboardView;
class QLabel;

// The empty document of the single-document window: the library lives in the view.
struct CReelboardDoc {};

// The main window: no menu bar, the browser view, and a status bar whose first pane shows the
// pipeline's progress texts, followed by the "CAP", "NUM" and "SCRL" panes.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `view` defaults to a view running the real pipeline.
    explicit CMainFrame(CReelboardView* view = nullptr);

    // Shows the window and runs the view's initial update, which starts the pipeline.
    void ShowAndStart();

    CReelboardView* View() const { return view_; }
    // The text of the message pane.
    QString MessageText() const;
    void SetMessageText(const QString& text);
    // The progress pane: "信息 12/43  图片 30/60" while lookups or poster downloads are under way;
    // empty while it is hidden.
    QString ProgressText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Follows the library's work counts; when the work has ended the message pane returns to idle.
    void UpdateProgress();
    // "就绪", or the lookups' counts once they have ended.
    QString IdleMessage() const;

    CReelboardDoc document_;
    CReelboardView* view_;
    QLabel* message_;
    QLabel* progress_;
    bool workShown_ = false; // a progress text of the lookups or downloads is in the message pane
};

// The window caption: the product name and version.
QString FrameCaption();
