#pragma once

#include "library/movie_library.h"

#include <QString>

// Stores the edit form's answer: the movie's FilePath and nine new field values (Title, OriginalTitle,
// CountryOfOrigin, ProductionYear, Rating, Genres, watched, Overview, Notes) joined by grave accents.
// A FilePath that holds grave accents is found as everything before the last nine fields.
// Saves the metadata file and writes the movie's detail view. Returns that page's path, or the empty
// string when the argument has fewer than ten parts or names no movie (nothing changes then), or when
// the page could not be written. Takes RecordsMutex while it touches the record.
QString EditMovieInfo(MovieLibrary& library, const QString& argument);
