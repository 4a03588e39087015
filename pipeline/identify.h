#pragma once

#include "library/movie_library.h"

#include <QString>

// The film page's own lookup of a movie the web lookup did not find: a search for words the user
// edits, then the result the user picks, read as an information page.

// Queues a search for `words` for the movie `filePath` and marks it as searching. False (nothing
// queued) when no movie has that path or the words are empty.
bool QueueIdentifySearch(MovieLibrary& library, const QString& filePath, const QString& words);

// Queues the reading of `url`, which must be one of the results the last search of `filePath`
// found (a page cannot make the program read any address). False when it is not.
bool QueueIdentifyPick(MovieLibrary& library, const QString& filePath, const QString& url);

// Serves the oldest queued request on the calling (pipeline) thread: a search on the engines, or
// the picked page read into the movie's record and metadata file and its posters stored. True when
// a request was served.
bool ServeOneIdentify(MovieLibrary& library);
