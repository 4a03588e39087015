#pragma once

#include "library/movie_library.h"

#include <memory>

// One poster download worker: takes a random movie from PosterQueue, downloads its posters, and
// repeats until the queue is empty or a stop is requested. Returns 1.
int PosterWorkerThread(MovieLibrary& library);

// Starts the ten workers in thread slots 1 to 10.
void StartPosterWorkers(const std::shared_ptr<MovieLibrary>& library);
