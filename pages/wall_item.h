#pragma once

#include "library/movie_record.h"

#include <QString>

// The markup of one movie on a wall: thumbnail opening the detail page, tooltip, play link.
// Reads the record only (the caller holds RecordsMutex when the record is shared).
QString MakeWallItem(const MovieRecord& record);
