#pragma once

#include "library/movie_library.h"

#include <QString>

// Smallest size, exclusive, of a file that counts as a video: trailers and samples stay out.
inline constexpr qint64 MinimumVideoBytes = 30000000;

// One line of the folder list: trims it, drops a trailing "/", expands a leading "~", connects an
// SMB share when the line carries credentials ("//nas/video<TAB>user<TAB>password") and scans the
// folder. Always returns 0.
int ScanListedFolder(MovieLibrary& library, QString line);

// True when a folder-list line names a folder that does not exist now, or a share that is not
// mounted (an unplugged disk, an offline server); false for an empty line.
bool NamesMissingFolder(QString line);

// Scans `folder` depth-first, each folder's entries in name order (letters without case first, then
// exactly): appends a record for every video
// and, after its subfolders' summaries, the folder's own FolderSummary, whose Path is `folder` as
// given. A folder that cannot be listed gets a summary with zero counts. Runs before the library is
// ready, so it takes no lock.
void ScanFolder(MovieLibrary& library, const QString& folder);

// The path's last 4 characters, or else its last 3, lower-cased, occur in the video extension list.
bool IsVideoFile(const QString& path);

// A ".jpg" in any letter case that is not a thumbnail.
bool IsFolderImageFile(const QString& path);

// Recycle bins and Linux trash folders are counted but never scanned.
bool IsSkippedFolder(const QString& path);
