#pragma once

#include "library/movie_library.h"

#include <QString>
#include <vector>

// Writes "menu.html" in the working folder from every record; returns its full path (the previous
// one when the file could not be written). Takes RecordsMutex while it reads the records.
QString BuildWallPage(MovieLibrary& library);

// The head of a wall or filter page: the wall template filled with the search text, which the caller
// has already HTML-escaped (the wall passes an empty text).
QString WallPageHead(const QString& escapedSearchText);

// The items of `records` in order, each ending with its line feed. Missing thumbnails are made first,
// on every core; call it without holding RecordsMutex, on copies of the records.
QString MakeWallItems(const std::vector<MovieRecord>& records);

// The same items as the body of a wall or filter page: beyond the first screens they come as the text
// of the script element "later", which the page's head puts in place once the first posters show.
QString MakeWallPageItems(const std::vector<MovieRecord>& records);

// What the count line of a wall or filter page says after its count: the facet's share of the movies
// (`shown` of them) and the lookups' counts, each followed by a blank; empty when neither applies.
QString WallCountExtras(const WallChoice& choice, qsizetype shown, const QString& lookupSummary);
