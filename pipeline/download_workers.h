#pragma once

#include "library/movie_library.h"

#include <memory>

// One poster download worker: takes a random movie from PosterQueue, downloads its posters, and
// repeats until the queue is empty or a stop is requested. Returns 1.
int PosterWorkerThread(MovieLibrary& library);

// Downloads the posters of `movie` between the two status texts ("下载图片失败:" when the movie is left
// without a poster) and makes the wall's thumbnail of a new one. True when a poster was stored.
bool StorePoster(MovieLibrary& library, const MovieRecord& movie);

// Starts the ten workers in thread slots 1 to 10.
void StartPosterWorkers(const std::shared_ptr<MovieLibrary>& library);
