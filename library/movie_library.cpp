#include "library/movie_library.h"

#include <chrono>

void RequestStop(MovieLibrary& library) {
    {
        std::lock_guard lock(library.StopMutex);
        library.StopRequested = true;
    }
    library.StopWake.notify_all();
    // A worker waiting for the next poster either saw the flag or is waiting now: either way it ends.
    { std::lock_guard lock(library.QueueMutex); }
    library.PosterQueueWake.notify_all();
}

bool SleepUnlessStopped(MovieLibrary& library, int ms) {
    std::unique_lock lock(library.StopMutex);
    return !library.StopWake.wait_for(lock, std::chrono::milliseconds(ms),
                                      [&] { return library.StopRequested.load(); });
}

void ShowStatus(MovieLibrary& library, const QString& text) {
    if (library.Host.ShowStatus)
        library.Host.ShowStatus(text);
}
