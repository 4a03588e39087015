#pragma once

#include "library/movie_library.h"

// Stage 2: when the listed folders yielded no video, scan the built-in folder list and rewrite "dirs.txt".
void RunFallbackStage(MovieLibrary& library);
