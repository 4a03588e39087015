#include "app/script_commands.h"

#include "pages/detail_page.h"
#include "pages/edit.h"
#include "pages/filter_page.h"
#include "pages/identify_commands.h"
#include "pages/wall_page.h"
#include "pipeline/identify.h"

#include <QRandomGenerator>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

MovieRecord* FindMovie(MovieLibrary& library, const QString& path) {
    auto found = std::find_if(library.Movies.begin(), library.Movies.end(),
                              [&](const MovieRecord& movie) { return movie.FilePath == path; });
    return found == library.Movies.end() ? nullptr : &*found;
}

void PlayMovie(MovieLibrary& library, const QString& path, const ShellCalls& shell) {
    if (IsMovieFilePath(library, path) && shell.Open)
        shell.Open(path);
}

} // namespace

bool IsMovieFilePath(MovieLibrary& library, const QString& path) {
    std::lock_guard lock(library.RecordsMutex);
    return FindMovie(library, path) != nullptr;
}

QString PickRandomMovie(MovieLibrary& library) {
    std::lock_guard lock(library.RecordsMutex);
    const qint64 count = qint64(library.Movies.size());
    if (count == 0)
        return {};
    const qint64 r = QRandomGenerator::global()->bounded(32768);
    return library.Movies[size_t(count * r / 32768)].FilePath;
}

void RetryLookup(MovieLibrary& library, const QString& filePath) {
    MovieRecord* movie = nullptr;
    {
        std::lock_guard lock(library.RecordsMutex);
        movie = FindMovie(library, filePath);
    }
    if (!movie)
        return;
    // Movies is never resized once ready, so the pointer stays valid for the retry service.
    std::lock_guard lock(library.QueueMutex);
    library.RetryQueue.push_back(movie);
    ++library.Counts.LookupsQueued;
}

QString RemoveQuotes(QString text) {
    text.remove(u'\'');
    text.remove(u'"');
    return text;
}

QString RunScriptCommand(MovieLibrary& library, int command, const QString& arg, const ShellCalls& shell,
                         QString* detailMovie) {
    if (detailMovie)
        *detailMovie = (command == 1 || command == 4) ? arg : command == WatchedCommand ? arg.mid(2) : QString();
    switch (command) {
    case 1:
        return ShowDetail(library, arg, DetailView);
    case 2: {
        if (!arg.isEmpty()) {
            PlayMovie(library, arg, shell);
            return {};
        }
        const QString picked = PickRandomMovie(library);
        if (picked.isEmpty())
            return {};
        PlayMovie(library, picked, shell);
        if (detailMovie)
            *detailMovie = picked;
        return ShowDetail(library, picked, DetailView);
    }
    case 3: {
        const QString text = RemoveQuotes(arg);
        return text.isEmpty() ? BuildWallPage(library) : BuildFilterPage(library, text);
    }
    case 4:
        return ShowDetail(library, arg, EditForm);
    case 5:
        return EditMovieInfo(library, arg);
    case 6:
        if (IsMovieFilePath(library, arg) && shell.ShowInFolder)
            shell.ShowInFolder(arg);
        return {};
    case 7:
        RetryLookup(library, arg);
        return {};
    case WatchedCommand:
        return SetWatched(library, arg);
    case IdentifySearchCommand:
    case IdentifyPickCommand: {
        // A path may hold grave accents, the words and addresses do not: the path is what comes before
        // the first grave accent after which the rest is accepted.
        for (qsizetype at = arg.indexOf(u'`'); at >= 0; at = arg.indexOf(u'`', at + 1)) {
            const QString path = arg.left(at), rest = arg.mid(at + 1);
            const bool queued = command == IdentifySearchCommand ? QueueIdentifySearch(library, path, rest)
                                                                 : QueueIdentifyPick(library, path, rest);
            if (queued) {
                if (detailMovie)
                    *detailMovie = path;
                return ShowDetail(library, path, DetailView);
            }
        }
        return {};
    }
    default:
        return {};
    }
}
