#pragma once

#include "library/metadata_stamp.h"
#include "library/movie_record.h"
#include "library/wall_choice.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// What the pipeline needs from whoever shows it: the window, or the console of a headless run.
// Every member may be empty; callers test before calling.
struct LibraryHost {
    std::function<void(const QString&)> ShowStatus;     // waits until the text is shown
    std::function<void()> LibraryReady;                 // waits until the host has handled it
    std::function<void()> WallRefresh;                  // posted, never waits
    std::function<void(const QString&)> MovieChanged;   // posted: a movie's information or picture changed (FilePath)
    std::function<void(const QString&)> OpenFolderList; // posted: open the rewritten "dirs.txt" (full path) for editing
};

inline constexpr int WorkerCount = 10;

// One result of a search the user asked for from a film page: what the results page called it, the
// site and the address.
struct LookupCandidate {
    QString Title;
    QString Site;
    QString Url;
};

// The user's own lookup of one movie: the words last searched and what came back.
struct LookupChoices {
    QString Words;
    std::vector<LookupCandidate> Found;
    QString State; // "searching", "searched", "reading" (a picked page), "failed" (it gave nothing)
};

// A search (Url empty) or a picked result to read, for the pipeline thread's retry service.
struct IdentifyRequest {
    QString FilePath;
    QString Words;
    QString Url;
};

// How far the background work has come: read by the window's progress pane and the headless summary
// while the threads count, so every member is atomic.
struct WorkCounts {
    std::atomic<int> LookupsQueued{0}; // movies stage 5 will look up, set before the first lookup
    std::atomic<int> LookupsDone{0};
    std::atomic<int> LookupsFound{0}; // lookups that gave the movie information
    std::atomic<int> PostersQueued{0};
    std::atomic<int> PostersDone{0};
    std::atomic<int> PostersStored{0};
    std::atomic<int> FoldersScanned{0};    // folders the scan could list, subfolders included, each once
    std::atomic<int> ListedFoldersRead{0}; // lines of "dirs.txt" whose folder could be listed
};

// The metadata file version a movie's record came from (read by the scan or written since), for the
// three-way merge of the next write.
struct MetadataVersion {
    MetadataStamp Stamp;
    MovieRecord Fields;
};

// The collection and everything the background threads share with the window.
// Owned through std::shared_ptr so that a thread still running at close keeps it alive.
struct MovieLibrary {
    std::vector<FolderSummary> Folders;
    std::vector<MovieRecord> Movies; // never resized after collation: RetryQueue points into it
    std::atomic<bool> StopRequested{false};
    std::vector<MovieRecord> PosterQueue;       // copies; guarded by QueueMutex once the workers run
    std::vector<MovieRecord*> RetryQueue;       // guarded by QueueMutex
    std::vector<IdentifyRequest> IdentifyQueue; // guarded by QueueMutex
    QHash<QString, LookupChoices> UserLookups;  // by FilePath; guarded by RecordsMutex
    std::thread BuildThread;
    std::array<std::thread, WorkerCount> WorkerThreads;
    // Set by each thread as it returns (0: build thread, 1 to 10: workers), so the stop sequence can
    // join the ones that have ended and detach the rest.
    std::array<std::atomic<bool>, WorkerCount + 1> ThreadDone{};
    std::mutex QueueMutex; // exists from construction, so an early retry request is safe
    // Set while the lookups may still add to PosterQueue: a worker that finds the queue empty then
    // waits on PosterQueueWake instead of ending. Guarded by QueueMutex.
    bool PostersStillComing = false;
    std::condition_variable PosterQueueWake;
    // Guards BuildThread and WorkerThreads: the build thread starts the workers while the window's
    // stop sequence may be looking at the same slots.
    std::mutex ThreadsMutex;
    QString UpdateNotice; // guarded by RecordsMutex
    // What the folder-list fallback found and did, shown in the wall's head; guarded by RecordsMutex.
    QString FolderListNotice;
    // The end of the lookups in numbers ("查找完成：找到 10 部，未找到 15 部"), for the wall's head and
    // the idle status bar; empty until the lookups have ended. Guarded by RecordsMutex.
    QString LookupSummary;
    WallChoice Choice;    // the wall's order and facet; guarded by RecordsMutex
    LibraryHost Host;     // stands for the view and the main frame
    QString WallPagePath; // guarded by RecordsMutex
    WorkCounts Counts;

    // Once the library is ready, the build thread and the window both touch records of Movies.
    // Lookups work on a copy and store the result under this lock; page builders and edits hold it too.
    // Never held during a download, never taken while QueueMutex is held.
    std::mutex RecordsMutex;
    // Taken before RecordsMutex by whoever stores a record together with its metadata file (an edit,
    // a lookup's result), so the file and the record end up holding the same version.
    std::mutex MetadataMutex;
    // Keyed by FilePath, guarded by MetadataMutex: the version of each movie's metadata file last
    // read or written, and the record as an open edit form showed it (what the user's changes are
    // measured against).
    QHash<QString, MetadataVersion> MetadataVersions;
    QHash<QString, MovieRecord> EditFormBases;
    // Lines of "dirs.txt" whose folder could not be read at start, as the status bar shows them; set
    // by the scan, then guarded by RecordsMutex.
    QStringList UnreadFolders;
    // Serialises the writers of "detail.html" (the window and the retry service).
    std::mutex DetailPageMutex;

    // Lets cancellable sleeps wake at once when a stop is requested.
    std::mutex StopMutex;
    std::condition_variable StopWake;

    // The stop sequence joins or detaches every thread; a library dropped without it (a test, an
    // early exit) may still hold joinable thread objects, and its last owner may be one of those very
    // threads. Detaching them keeps that from ending the process.
    ~MovieLibrary() {
        if (BuildThread.joinable())
            BuildThread.detach();
        for (std::thread& worker : WorkerThreads)
            if (worker.joinable())
                worker.detach();
    }
};

// Sets StopRequested and wakes every cancellable sleep.
void RequestStop(MovieLibrary& library);

// Sleeps up to `ms` milliseconds; returns early (false) when a stop is requested.
bool SleepUnlessStopped(MovieLibrary& library, int ms);

// Shows a progress text through the host, if it has a status bar.
void ShowStatus(MovieLibrary& library, const QString& text);
