#pragma once

#include "library/movie_library.h"

#include <memory>

// The pipeline thread: stages 1 to 8, until a stop is requested. Returns 1.
int BuildLibraryThread(std::shared_ptr<MovieLibrary> library);

// The batch run: stages 1 to 7, then waits for the download workers and writes the wall once more.
void RunHeadlessPipeline(std::shared_ptr<MovieLibrary> library);
