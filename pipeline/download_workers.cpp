#include "pipeline/download_workers.h"

#include "library/file_access.h"
#include "pages/wall_item.h"
#include "pipeline/thread_control.h"
#include "web/poster.h"

#include <QRandomGenerator>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Removes a random element of PosterQueue under QueueMutex. While the lookups still queue posters
// an empty queue is waited on; nothing once it is empty for good or a stop is requested.
std::optional<MovieRecord> TakeRandomMovie(MovieLibrary& library) {
    std::unique_lock lock(library.QueueMutex);
    auto& queue = library.PosterQueue;
    library.PosterQueueWake.wait(
        lock, [&] { return !queue.empty() || !library.PostersStillComing || library.StopRequested; });
    if (queue.empty() || library.StopRequested)
        return std::nullopt;
    const auto count = static_cast<int64_t>(queue.size());
    const int64_t r = QRandomGenerator::global()->bounded(32768);
    const auto index = count * r / 32768;
    MovieRecord movie = std::move(queue[index]);
    // The last element fills the gap: with a uniform pick the order stays as random as with moving the
    // rest down, and a queue of 10,000 copies is not shifted 10,000 times under the lock.
    if (index + 1 != count)
        queue[index] = std::move(queue.back());
    queue.pop_back();
    return movie;
}

// Status texts only while the window is there to show them.
void ShowWorkerStatus(MovieLibrary& library, const QString& text) {
    if (!library.StopRequested)
        ShowStatus(library, text);
}

} // namespace

int PosterWorkerThread(MovieLibrary& library) {
    while (!library.StopRequested) {
        const std::optional<MovieRecord> movie = TakeRandomMovie(library);
        if (!movie)
            break;
        const bool stored = StorePoster(library, *movie);
        ++library.Counts.PostersDone;
        if (stored && !library.StopRequested && library.Host.MovieChanged)
            library.Host.MovieChanged(movie->FilePath);
    }
    return 1;
}

namespace {

// The posters went to the local store: the movie's side files are kept there from now on.
void KeepInLocalStore(MovieLibrary& library, const QString& filePath, const QString& storeFolder) {
    std::lock_guard files(library.MetadataMutex);
    std::lock_guard lock(library.RecordsMutex);
    for (MovieRecord& record : library.Movies)
        if (record.FilePath == filePath && record.StoreFolder.isEmpty())
            record.StoreFolder = storeFolder;
}

} // namespace

bool StorePoster(MovieLibrary& library, const MovieRecord& queued) {
    ShowWorkerStatus(library, u"下载图片:"_s + queued.DisplayTitle);
    MovieRecord movie = queued;
    QString storeFolder;
    // The folder's picture was on the wall from the start: nothing new, and nothing stored.
    const bool stored = DownloadPoster(movie, &library.StopRequested, &storeFolder) && !FolderPictureServes(movie);
    if (!storeFolder.isEmpty()) {
        movie.StoreFolder = storeFolder;
        KeepInLocalStore(library, movie.FilePath, storeFolder);
    }
    if (stored) {
        ++library.Counts.PostersStored;
        // Made here rather than by the window, which shows the new picture at once.
        WallThumbnail(movie);
    }
    // A poster kept from an earlier run, or the folder's picture the wall shows, is no failure.
    const QString picture = WallPicture(movie);
    const bool hasPicture = stored || (!picture.isEmpty() && PathExists(picture));
    ShowWorkerStatus(library, (hasPicture ? u"下载图片成功:"_s : u"下载图片失败:"_s) + movie.DisplayTitle);
    return stored;
}

void QueuePoster(MovieLibrary& library, MovieRecord movie) {
    {
        std::lock_guard lock(library.QueueMutex);
        library.PosterQueue.push_back(std::move(movie));
    }
    library.PosterQueueWake.notify_one();
}

void ExpectPosters(MovieLibrary& library, bool coming) {
    {
        std::lock_guard lock(library.QueueMutex);
        library.PostersStillComing = coming;
    }
    library.PosterQueueWake.notify_all();
}

void StartPosterWorkers(const std::shared_ptr<MovieLibrary>& library) {
    for (int slot = 1; slot <= WorkerCount; ++slot)
        StartLibraryThread(library, slot, [](std::shared_ptr<MovieLibrary> shared) { PosterWorkerThread(*shared); });
}
