#pragma once

#include "library/movie_library.h"

#include <QSet>
#include <QString>

// The metadata a scanned video gets: from its file beside it, and from the local store when the
// store keeps something for it.

// What the local store holds, listed once per scan; empty for most users, and then no video costs
// anything more.
struct StoreListing {
    QSet<QString> Entries;
    QString Root;
};

// The metadata file is looked for in the folder's own listing (`metadataNames`) first: most videos
// have none, and the failed opens would cost more than the rest of the scan. Same outcome as
// ReadMovieXml; the version read is remembered for the merge of the next write.
void ReadListedMetadata(MovieLibrary& library, MovieRecord& record, int folderFd, const QSet<QString>& metadataNames);

// The store's entry for the video (by its path, size and time), if there is one: TakeFromLocalStore.
void ReadStoredMetadata(MovieLibrary& library, MovieRecord& record, int folderFd, const StoreListing& store);

// Brings the store's entry `entry` into the record. Its metadata is merged with the file beside the
// video (which wins where both changed a field). When the video's folder can be written now, the
// merged file and the pictures are moved beside the video and the entry goes; otherwise the record
// keeps its files in the entry (StoreFolder).
void TakeFromLocalStore(MovieLibrary& library, MovieRecord& record, const QString& entry);
