#pragma once

#include "library/movie_library.h"

#include <memory>

// One poster download worker: takes a random movie from PosterQueue, downloads its posters, and
// repeats until the queue is empty and no more posters are expected (ExpectPosters), or a stop is
// requested. Returns 1.
int PosterWorkerThread(MovieLibrary& library);

// Downloads the posters of `movie` between the two status texts ("下载图片失败:" when the movie is left
// without a poster) and makes the wall's thumbnail of a new one. True when a poster was stored.
bool StorePoster(MovieLibrary& library, const MovieRecord& movie);

// Appends a movie to PosterQueue and wakes one waiting worker.
void QueuePoster(MovieLibrary& library, MovieRecord movie);

// Tells the workers whether more movies may still be queued: while so, an empty queue is waited on
// rather than ending them. Set before the workers start with the lookups, cleared when they end.
void ExpectPosters(MovieLibrary& library, bool coming);

// Starts the ten workers in thread slots 1 to 10.
void StartPosterWorkers(const std::shared_ptr<MovieLibrary>& library);
