#pragma once

#include "library/movie_library.h"

#include <QString>
#include <functional>

// What the commands ask of the desktop; the window passes the real shell, tests a recorder.
struct ShellCalls {
    std::function<void(const QString&)> Open;         // play a movie
    std::function<void(const QString&)> ShowInFolder; // show a movie in the file manager
};

// Carries out page script command `command` with `arg` on the library (the library must be ready):
//   1 detail view of the movie `arg`      2 play `arg`, or a random movie when `arg` is empty
//   3 filter by `arg` (the wall when only quotes)   4 edit form of `arg`   5 store the edit form `arg`
//   6 show `arg` in the file manager      7 queue `arg` for a new web lookup
//   107 set ("1`path") or clear ("0`path") a movie's watched mark
//   108 search for a movie's lookup ("path`words")   109 read a result of that search ("path`url")
// Commands 2 and 6 act only on a path that is the FilePath of a movie: page text can come from the web.
// Returns the page to show next, or the empty string to stay on the current one. When that page is a
// movie's detail page, `detailMovie` (if given) receives the movie's FilePath.
QString RunScriptCommand(MovieLibrary& library, int command, const QString& arg, const ShellCalls& shell,
                         QString* detailMovie = nullptr);

// Whether some movie has exactly this FilePath.
bool IsMovieFilePath(MovieLibrary& library, const QString& path);

// The FilePath of a movie picked at random; empty for an empty library.
QString PickRandomMovie(MovieLibrary& library);

// Queues the first movie whose FilePath equals `filePath` exactly for a new web lookup.
void RetryLookup(MovieLibrary& library, const QString& filePath);

// The search text of command 3 without its apostrophes and double quotes.
QString RemoveQuotes(QString text);
