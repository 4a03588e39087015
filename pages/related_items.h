#pragma once

#include "library/movie_library.h"

#include <QString>

// Whether `candidate` names the same movie as `title`: the longest common run of the two, stripped of
// blanks, dots, hyphens, digits and a few filler words, must be long enough on its own or relative to
// `title`. An empty `title` matches nothing.
bool TitlesMatch(const QString& candidate, const QString& title);

// Wall items of every movie whose display title matches `title`, in library order; empty when only one
// matches (that one is normally the movie itself). Takes RecordsMutex while it reads the records.
QString BuildRelatedItems(MovieLibrary& library, const QString& title);
