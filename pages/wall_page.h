#pragma once

#include "library/movie_library.h"

// Writes "menu.html" in the working folder from every record; returns its full path (the previous
// one when the file could not be written). Takes RecordsMutex while it reads the records.
QString BuildWallPage(MovieLibrary& library);
