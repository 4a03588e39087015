#pragma once

#include "library/metadata_merge.h"
#include "library/movie_library.h"

#include <QString>

// Where a metadata write ended up.
enum class MetadataPlace { Beside, LocalStore, Nowhere };

struct MetadataSave {
    MovieRecord Merged; // what the file now holds (or would, for Nowhere), with its SearchKey and StoreFolder
    MetadataPlace Place = MetadataPlace::Nowhere;
    QString Path; // the file written
};

// Replaces a movie's metadata file with `ours` merged three ways: against `base`, the version the
// writer started from, and the file as it is now (read again when its size, time or content differ
// from the version last seen). The file goes beside the video, or, when that cannot be written, to
// the local store (ours.StoreFolder says where the movie's files are now). The caller holds
// MetadataMutex; other processes are kept out by a lock on the video.
MetadataSave SaveMetadata(MovieLibrary& library, const MovieRecord& base, const MovieRecord& ours,
                          MergeWinner bothChanged);

// Remembers the version the scan read (or a write left) for the movie `filePath`.
void NoteMetadataVersion(MovieLibrary& library, const QString& filePath, const MetadataStamp& stamp,
                         const MovieRecord& fields);

// A record with the twelve stored fields empty, for parsing a file into.
MovieRecord WithoutMetadata(const MovieRecord& record);
