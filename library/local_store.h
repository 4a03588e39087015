#pragma once

#include <QSet>
#include <QString>

// Reelboard's own store on this computer, for what cannot be written beside a video (a read-only
// share, a folder without write permission): $XDG_CACHE_HOME/reelboard, or ~/.cache/reelboard.
// Each entry is a folder named after the file it serves (its path, size and modification time), so
// a replaced video does not inherit the old one's information. The entry holds the files under the
// names they would have beside the video, and "source" with the served file's path.
QString LocalStoreRoot();

// The entry folder's name for a file of this path, size and modification time.
QString LocalStoreKey(const QString& path, qint64 size, qint64 modifiedNs);

// The entry folder for the file at `path` as it is now; empty when it cannot be looked at.
QString LocalStoreFolderOf(const QString& path);

// The names of the entries now in the store: the scan tests each video against them without a
// file operation.
QSet<QString> LocalStoreEntries();

// Creates `folder` (and the store) for the file at `source`; true when it exists afterwards.
bool MakeLocalStoreFolder(const QString& folder, const QString& source);

// Lets an entry go once its files are in place beside the video.
void RemoveLocalStoreFolder(const QString& folder);

// The folder holding `path` can take new files now (a read-only mount or a missing permission says no).
bool FolderWritable(const QString& path);
