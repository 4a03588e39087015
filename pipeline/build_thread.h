#pragma once

#include "library/movie_library.h"

#include <QStringList>
#include <memory>

// The pipeline thread: stages 1 to 8, until a stop is requested. Returns 1.
int BuildLibraryThread(std::shared_ptr<MovieLibrary> library);

// The batch run: stages 1 to 7, then waits for the download workers and writes the wall once more.
void RunHeadlessPipeline(std::shared_ptr<MovieLibrary> library);

// Stages 1 to 4: scan the listed folders (or the built-in list), collate, announce the library and
// write the wall page.
void BuildLibrary(MovieLibrary& library);

// The lines of "dirs.txt" in the working folder, from only its first 10240 bytes: UTF-16 LE (a
// byte-order mark stays on the first line), or UTF-8 when that is what the bytes are; split on line
// feeds (carriage returns stay on their lines). Empty when it is missing.
QStringList ReadFolderList();

// The folder-list line as the status bar shows it: exactly as read, except that the password of a
// network line is left out.
QString LineForStatus(const QString& line);

// Stage 1: every line of "dirs.txt", each announced in the status bar before it is scanned.
void ScanListedFolders(MovieLibrary& library);

// Stage 3: copies each folder's counts and first image into the records found there, then empties
// Folders.
void CollateFolders(MovieLibrary& library);
