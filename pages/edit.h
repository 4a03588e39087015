#pragma once

#include "library/movie_library.h"

#include <QString>

// Stores the edit form's answer: the movie's FilePath and nine new field values (Title, OriginalTitle,
// CountryOfOrigin, ProductionYear, Rating, Genres, watched, Overview, Notes) joined by grave accents.
// A FilePath that holds grave accents is found as everything before the last nine fields.
// Saves the metadata file, merged with what others wrote since the form was shown (the user's own
// changes win), beside the video or, when that cannot be written, in the local store (said in the
// status bar); then writes the movie's detail view. Returns that page's path, or the empty
// string when the argument has fewer than ten parts or names no movie (nothing changes then), or when
// the page could not be written. Takes RecordsMutex while it touches the record.
QString EditMovieInfo(MovieLibrary& library, const QString& argument);

// Page command of the film page's watched mark: "1`" or "0`" followed by the movie's FilePath.
inline constexpr int WatchedCommand = 107;

// Sets ("1`path") or clears ("0`path") the movie's watched mark, stored as an edit stores it (record
// and metadata file together), and writes its detail view. Returns that page's path, or the empty
// string for an argument of another form or a path that names no movie.
QString SetWatched(MovieLibrary& library, const QString& argument);

// Remembers the record as an edit form shows it: the next edit of the movie is measured against it.
void NoteEditFormShown(MovieLibrary& library, const MovieRecord& movie);

// The path as the edit form holds it, in an HTML value: such a value cannot hold a file-name byte
// that is not UTF-8 (library/file_name.h), so each of those is U+FFFD there. Any other path is itself.
QString FormPath(const QString& filePath);

// The form's answer with the exact path of the movie whose form is shown put back, when the answer
// starts with that movie's FormPath and a grave accent; any other answer unchanged. The window knows
// which form it shows; two such paths may read alike in a form.
QString RestoreFormPath(const QString& argument, const QString& shownMovie);
