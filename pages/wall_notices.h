#pragma once

#include "library/movie_library.h"

#include <QString>

// What the wall's head tells about the library itself, as HTML: what the folder-list fallback did,
// the listed folders that could not be read at start, and how many movies live in folders that
// cannot be written (their information is kept on this computer). Empty when there is nothing to
// tell. The caller holds RecordsMutex.
QString WallHeadNotices(const MovieLibrary& library);
