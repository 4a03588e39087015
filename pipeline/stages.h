#pragma once

#include "library/movie_library.h"

#include <QString>
#include <memory>

// Overview texts that mean "look this movie up again at the next start".
bool NeedsLookup(const MovieRecord& movie);

// True when a finished lookup left the movie an overview that is not one of the error texts.
bool LookupFoundInformation(const MovieRecord& movie);

// Stage 5: looks up every movie without information, one at a time, rewriting the wall after each,
// and queues a copy of every movie for the poster workers. False when a stop was requested: the
// pipeline thread then ends at once.
bool RunLookupStage(MovieLibrary& library);

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

// Stage 8: serves retry requests, at most one a second, until a stop is requested.
void RunRetryService(MovieLibrary& library);

// Stages 5 to 8 of the pipeline thread, after the library is ready; returns once a stop is requested.
void RunPipelineStages(const std::shared_ptr<MovieLibrary>& library);

// Stages 5 to 7 of the batch run without a window, then waits for the poster workers and writes the
// wall once more.
void RunHeadlessStages(const std::shared_ptr<MovieLibrary>& library);
