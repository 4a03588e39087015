#pragma once

#include "library/movie_library.h"

#include <QString>
#include <QStringList>

// The search text as the filter uses it: lower case, white space trimmed from both ends.
QString PrepareSearchText(const QString& text);

// Whether every word occurs in the movie's SearchKey (no words: every movie matches).
bool MatchesSearchWords(const MovieRecord& movie, const QStringList& words);

// Writes "menu_search.html": the wall restricted to the movies whose SearchKey holds every blank-separated
// word of `text`. Returns the page's full path, or the empty string if it could not be written.
// Takes RecordsMutex while it reads the records.
QString BuildFilterPage(MovieLibrary& library, const QString& text);
