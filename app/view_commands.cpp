// The page's calls into the program: the window's own commands here, the rest through the library.
#include "app/wall_view.h"

#include "app/page_guard.h"
#include "app/page_script.h"
#include "app/script_commands.h"
#include "app/shell.h"
#include "library/wall_choice.h"
#include "pages/detail_page.h"
#include "pages/edit.h"
#include "pages/filter_page.h"
#include "pages/wall_controls.h"
#include "pages/wall_page.h"

#include <QTimer>

#include <mutex>

using namespace Qt::StringLiterals;

bool CReelboardView::ExtCommand(int command, const QString& arg) {
    // The channel does not say which document called; the one shown is the only one with the bridge.
    if (!IsOwnPage(url()))
        return false;
    if (command == CloseCommand) {
        // After this call has returned to the page; closing needs no library.
        QTimer::singleShot(0, this, [this] { Q_EMIT CloseRequested(); });
        return true;
    }
    if (!scriptReady_)
        return false;
    static const ShellCalls desktop{OpenWithShell, ShowInFileManager};
    switch (command) {
    case RefreshCommand:
        RefreshShownPage();
        return true;
    case EditFolderListCommand:
        EditFolderList();
        return true;
    case RescanCommand:
        QTimer::singleShot(0, this, &CReelboardView::Rescan);
        return true;
    case SortCommand:
    case FacetCommand:
        ChangeWallChoice(command, arg);
        return true;
    default:
        break;
    }
    QString movie;
    // The form's path went through an HTML value, which cannot hold every file name.
    const QString argument = command == 5 && shown_.mode == EditForm ? RestoreFormPath(arg, shown_.movie) : arg;
    const QString page = RunScriptCommand(*library_, command, argument, desktop, &movie);
    if (page.isEmpty())
        return true;
    if (command == 3)
        shown_ = {QString(), DetailView, RemoveQuotes(arg)};
    else if (command == 5)
        shown_.mode = DetailView; // the edited movie's detail view, after its form
    else
        shown_ = {movie, command == 4 ? EditForm : DetailView, QString()};
    Navigate(page);
    return true;
}

void CReelboardView::ChangeWallChoice(int command, const QString& arg) {
    WallChoice choice;
    {
        std::lock_guard lock(library_->RecordsMutex);
        choice = command == SortCommand ? WithSort(library_->Choice, arg) : WithFacet(library_->Choice, arg);
        library_->Choice = choice;
    }
    WriteWallChoice(choice);
    // The page shown, in the new order: the filter page keeps its search words.
    const bool filtered = ShownFile() == u"menu_search.html"_s;
    const QString page = filtered ? BuildFilterPage(*library_, shown_.searchText) : BuildWallPage(*library_);
    if (page.isEmpty())
        return;
    if (!filtered)
        shown_ = {};
    Navigate(page);
}
