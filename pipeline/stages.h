#pragma once

#include "library/movie_library.h"

#include <QString>
#include <functional>
#include <memory>

// Overview texts that mean "look this movie up again at the next start".
bool NeedsLookup(const MovieRecord& movie);

// True when a finished lookup left the movie an overview that is not one of the error texts.
bool LookupFoundInformation(const MovieRecord& movie);

// Stage 5: looks up every movie without information, one at a time, and queues a copy of every movie
// for the poster workers. The wall is rewritten (and the window told) at most once a second while
// lookups find information, and once at the end if a change is still unwritten or a lookup ran; at
// the end the counts of movies with and without information go to LookupSummary and the status bar.
// False when a stop was requested: the pipeline thread then ends at once, without rewriting the wall.
bool RunLookupStage(MovieLibrary& library);
// The same, paced by `now` (milliseconds) instead of the steady clock.
bool RunLookupStage(MovieLibrary& library, const std::function<qint64()>& now);

// Counts the movies with and without information into LookupSummary ("查找完成：找到 10 部，未找到
// 15 部"), for the wall's head and the idle status bar; returns the text. Takes RecordsMutex.
QString UpdateLookupSummary(MovieLibrary& library);

// Stage 6: starts the ten poster download workers.
void RunWorkerStage(const std::shared_ptr<MovieLibrary>& library);

// Stage 7: asks the update server for a notice; when it answers, stores it in UpdateNotice and
// rewrites the wall.
void RunUpdateCheck(MovieLibrary& library);

// The address the update check asks.
QString UpdateCheckUrl();

// One cycle of the retry service without its sleep: serves the last queued retry request, if any.
// True when a request was served.
bool ServeOneRetry(MovieLibrary& library);

// Stage 8: serves retry requests and the film pages' own searches and picks, at most one of each a
// second, until a stop is requested.
void RunRetryService(MovieLibrary& library);

// Stages 5 and 6 together: starts the poster workers, then runs the lookups, whose movies they take
// as they are queued. False when a stop cut the lookups short.
bool RunLookupsWithWorkers(const std::shared_ptr<MovieLibrary>& library);

// Stages 5 to 8 of the pipeline thread, after the library is ready; returns once a stop is requested.
void RunPipelineStages(const std::shared_ptr<MovieLibrary>& library);

// Stages 5 to 7 of the batch run without a window, then waits for the poster workers (also after a
// stop) and writes the wall once more.
void RunHeadlessStages(const std::shared_ptr<MovieLibrary>& library);
