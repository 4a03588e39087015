#pragma once

#include "library/movie_library.h"

#include <QString>
#include <QStringList>

// "detail.html" modes.
inline constexpr int DetailView = 0;
inline constexpr int EditForm = 1; // any mode other than DetailView

// Writes "detail.html" for the first movie whose FilePath equals `key` exactly: the detail view with
// its related titles (DetailView) or the edit form (any other mode). Returns the page's full path, or
// the empty string when no movie has that path or the page could not be written. Takes RecordsMutex
// while it reads the records.
QString ShowDetail(MovieLibrary& library, const QString& key, int mode);

// Writes "detail.html" for `movie` (a copy the caller owns; no record lock is taken) with
// `relatedItems` (wall item markup) in the detail view, with the movie's own lookup (UserLookups,
// read under RecordsMutex: the caller must not hold it). Writers of the page are serialised on the
// library's DetailPageMutex. Returns the page's full path, or the empty string if it was not written.
QString BuildDetailPage(MovieLibrary& library, const MovieRecord& movie, const QString& relatedItems, int mode);

// The movie's pictures: every ".jpg" of its folder when the folder holds at most two videos and some
// images (but not the other video's posters), otherwise the files beside the video named after it and
// ending in "jpg"; never thumbnails. The movie's poster (FilePath + ".jpg") first, the rest in the
// order the scan lists a folder in.
QStringList DetailPictures(const MovieRecord& movie);
