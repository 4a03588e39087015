#include "pipeline/stages.h"

#include "library/metadata_store.h"
#include "pages/wall_page.h"
#include "pipeline/download_workers.h"
#include "pipeline/identify.h"
#include "pipeline/thread_control.h"
#include "pipeline/update_notice.h"
#include "pipeline/wall_rewrites.h"
#include "web/poster.h"
#include "web/retrieval.h"
#include "web/ydown.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

const QString UpdateFile = u"update.tmp"_s;

// Host callbacks reach the window; after a stop the window may be gone.
void ShowStageStatus(MovieLibrary& library, const QString& text) {
    if (!library.StopRequested)
        ShowStatus(library, text);
}

void PostWallRefresh(MovieLibrary& library) {
    if (!library.StopRequested && library.Host.WallRefresh)
        library.Host.WallRefresh();
}

MovieRecord CopyRecord(MovieLibrary& library, const MovieRecord& record) {
    std::lock_guard lock(library.RecordsMutex);
    return record;
}

// The lookup runs on a copy with no lock held (it downloads) and writes nothing itself. Its result
// reaches the metadata file once, merged three ways with the file as it is now: a field that the user,
// another computer or another lookup changed meanwhile keeps that value. The record then holds what
// the file holds. `copy` is left holding what was stored. Returns the notes of the sites that refused
// the lookup.
QStringList LookUp(MovieLibrary& library, MovieRecord& record, MovieRecord& copy) {
    const MovieRecord before = copy;
    QStringList refusals;
    FetchMovieInfo(copy, &library.StopRequested, &refusals);
    std::lock_guard files(library.MetadataMutex);
    // A lookup cut short by a stop found nothing, and an unchanged one has nothing to store.
    if (SameMetadata(copy, before)) {
        std::lock_guard lock(library.RecordsMutex);
        copy = record;
        return refusals;
    }
    {
        std::lock_guard lock(library.RecordsMutex);
        copy.StoreFolder = record.StoreFolder; // a poster may have sent the movie's files to the store
    }
    const MetadataSave save = SaveMetadata(library, before, copy, MergeWinner::Theirs);
    std::lock_guard lock(library.RecordsMutex);
    // Only the metadata fields, the key and their place: nothing else of the record is the lookup's.
    CopyMetadata(record, save.Merged);
    record.SearchKey = save.Merged.SearchKey;
    record.StoreFolder = save.Merged.StoreFolder;
    copy = record;
    return refusals;
}

// Tells the window that `movie` looks different now; it updates the page it shows, if that page
// shows the movie.
void PostMovieChanged(MovieLibrary& library, const QString& filePath) {
    if (!library.StopRequested && library.Host.MovieChanged)
        library.Host.MovieChanged(filePath);
}

// The status text after a lookup: success only when the lookup gave the movie information; a failure
// names the sites that refused, if any did.
QString LookupResultText(const MovieRecord& movie, const QStringList& refusals) {
    if (LookupFoundInformation(movie))
        return u"下载信息成功:"_s + movie.DisplayTitle;
    QString text = u"下载信息失败:"_s + movie.DisplayTitle;
    if (!refusals.isEmpty())
        text += u"（"_s + refusals.join(u"；"_s) + u"）"_s;
    return text;
}

} // namespace

QString UpdateLookupSummary(MovieLibrary& library) {
    std::lock_guard lock(library.RecordsMutex);
    int found = 0;
    for (const MovieRecord& movie : library.Movies)
        found += LookupFoundInformation(movie) ? 1 : 0;
    const int missing = int(library.Movies.size()) - found;
    library.LookupSummary = u"查找完成：找到 %1 部，未找到 %2 部"_s.arg(found).arg(missing);
    return library.LookupSummary;
}

namespace {

void RewriteWall(MovieLibrary& library, WallRewrites& rewrites) {
    BuildWallPage(library);
    PostWallRefresh(library);
    NoteWallWritten(rewrites);
}

} // namespace

bool NeedsLookup(const MovieRecord& movie) {
    return movie.Overview.isEmpty() || movie.Overview.contains(QStringView(SearchFailedText));
}

bool LookupFoundInformation(const MovieRecord& movie) {
    return !movie.Overview.isEmpty() && !movie.Overview.startsWith(u"错误：");
}

bool RunLookupStage(MovieLibrary& library) {
    return RunLookupStage(library, SteadyMilliseconds);
}

bool RunLookupStage(MovieLibrary& library, const std::function<qint64()>& now) {
    WallRewrites rewrites{now};
    const int lookupsBefore = library.Counts.LookupsDone;
    {
        std::lock_guard lock(library.RecordsMutex);
        int queued = 0;
        for (const MovieRecord& record : library.Movies)
            queued += NeedsLookup(record) ? 1 : 0;
        // Added to: a retry may have been counted already.
        library.Counts.LookupsQueued += queued;
        library.Counts.PostersQueued += static_cast<int>(library.Movies.size());
    }
    // Movies is never resized after collation, so its records stay where they are.
    for (MovieRecord& record : library.Movies) {
        // Also before the first movie: a stop may have come during the scan.
        if (library.StopRequested)
            return false;
        MovieRecord copy = CopyRecord(library, record);
        if (NeedsLookup(copy)) {
            ShowStageStatus(library, u"下载信息:"_s + copy.DisplayTitle);
            const QStringList refusals = LookUp(library, record, copy);
            ++library.Counts.LookupsDone;
            if (LookupFoundInformation(copy))
                ++library.Counts.LookupsFound;
            ShowStageStatus(library, LookupResultText(copy, refusals));
            if (LookupFoundInformation(copy))
                NoteWallChange(rewrites);
            PostMovieChanged(library, copy.FilePath);
        }
        // Also after a movie that needed no lookup: a change owed since is shown within the interval.
        if (WallRewriteDue(rewrites))
            RewriteWall(library, rewrites);
        QueuePoster(library, std::move(copy));
    }
    if (library.StopRequested)
        return false;
    // Also when every lookup found nothing: the wall's head says how many were not found.
    const QString counts = UpdateLookupSummary(library);
    if (library.Counts.LookupsDone > lookupsBefore)
        NoteWallChange(rewrites);
    if (rewrites.owed)
        RewriteWall(library, rewrites);
    ShowStageStatus(library, counts);
    return true;
}

void RunWorkerStage(const std::shared_ptr<MovieLibrary>& library) {
    StartPosterWorkers(library);
}

QString UpdateCheckUrl() {
    return u"http://update.reelboard.invalid/reelboard/update.php?v=1.05"_s;
}

void RunUpdateCheck(MovieLibrary& library) {
    QFile::remove(UpdateFile);
    YDown(&library.StopRequested)
        .Download(UpdateCheckUrl(), QString(), UpdateFile, u"Content-Type: application/x-www-form-urlencoded"_s);
    QFile file(UpdateFile);
    // After a stop the reply is likely cut short, and nobody will see the wall.
    if (library.StopRequested || !file.open(QIODevice::ReadOnly))
        return;
    const QString notice = UpdateNoticeFromReply(file.readAll());
    file.close();
    {
        std::lock_guard lock(library.RecordsMutex);
        library.UpdateNotice = notice;
    }
    BuildWallPage(library);
}

bool ServeOneRetry(MovieLibrary& library) {
    MovieRecord* record = nullptr;
    {
        std::lock_guard lock(library.QueueMutex);
        if (library.RetryQueue.empty())
            return false;
        record = library.RetryQueue.back();
        library.RetryQueue.pop_back();
    }
    MovieRecord copy = CopyRecord(library, *record);
    ShowStageStatus(library, u"下载信息:"_s + copy.DisplayTitle);
    const QStringList refusals = LookUp(library, *record, copy);
    ++library.Counts.LookupsDone;
    if (LookupFoundInformation(copy))
        ++library.Counts.LookupsFound;
    ShowStageStatus(library, LookupResultText(copy, refusals));
    UpdateLookupSummary(library);
    PostMovieChanged(library, copy.FilePath);
    // The pages show the posters found on disk: once more when the new ones are there.
    ++library.Counts.PostersQueued;
    const bool stored = StorePoster(library, copy);
    ++library.Counts.PostersDone;
    if (stored)
        PostMovieChanged(library, copy.FilePath);
    return true;
}

void RunRetryService(MovieLibrary& library) {
    while (!library.StopRequested) {
        ServeOneRetry(library);
        ServeOneIdentify(library);
        SleepUnlessStopped(library, 1000);
    }
}

// The workers start with the lookups, so each movie's posters arrive while the next are looked up;
// they end once the lookups are over and the queue is empty.
bool RunLookupsWithWorkers(const std::shared_ptr<MovieLibrary>& library) {
    ExpectPosters(*library, true);
    RunWorkerStage(library);
    const bool completed = RunLookupStage(*library);
    ExpectPosters(*library, false);
    return completed;
}

void RunPipelineStages(const std::shared_ptr<MovieLibrary>& library) {
    if (!RunLookupsWithWorkers(library))
        return;
    RunUpdateCheck(*library);
    RunRetryService(*library);
}

void RunHeadlessStages(const std::shared_ptr<MovieLibrary>& library) {
    const bool completed = RunLookupsWithWorkers(library);
    if (completed)
        RunUpdateCheck(*library);
    // After a stop too: the workers end at their next check, and none may outlive the library's host.
    JoinWorkerThreads(*library);
    // The posters are all there now: once more, so that the wall shows their thumbnails.
    BuildWallPage(*library);
    // Nothing else reads the reply; a batch run leaves no temporary file of its own behind.
    QFile::remove(UpdateFile);
}
