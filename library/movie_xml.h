#pragma once

#include "library/movie_record.h"

#include <QString>

// The metadata file beside each video: FilePath + ".xml", UTF-16 LE with a byte-order mark, one
// fixed template of twelve elements, found again by plain substring search (no XML parsing, no
// escaping). Neither function locks: callers pass a record they own or hold the lock for.

// Where the movie's side files are named from: FilePath beside the video, or the same file name in
// the movie's StoreFolder. The metadata file is this + ".xml", the posters + ".jpg", + ".1.jpg", ...
QString SideFileBase(const MovieRecord& record);
QString MetadataPath(const MovieRecord& record);

// Lower case of FilePath, Title, OriginalTitle, CountryOfOrigin, ProductionYear, Genres, Overview
// and Notes run together: what the filter page searches.
QString SearchKeyOf(const MovieRecord& record);

// The file's exact bytes for `record`.
QByteArray MovieXmlBytes(const MovieRecord& record);

// Sets SearchKey, then replaces the metadata file (MetadataPath) atomically, so a crash or a full disk leaves the
// old file intact. A file Reelboard did not write (another encoding, another tool's content) is first
// kept as FilePath + ".xml.bak", unless that exists already. Returns false when the file could not be written (the
// record keeps its values).
bool WriteMovieXml(MovieRecord& record);

// Fills the twelve metadata fields from the file (UTF-16 LE, or UTF-8 when the file holds valid UTF-8)
// and recomputes SearchKey; the six short fields are
// passed through CleanFieldValue. A missing file leaves the record untouched. When FilePath + ".xml"
// is missing, the same name with its file-name part in lower case is tried (files written on a
// case-insensitive system).
void ReadMovieXml(MovieRecord& record);

// ReadMovieXml on the file `fileName` in the open folder `folderFd` (a path relative to it, or
// absolute), without the lower-case fallback; false when it cannot be opened (record untouched).
// For the scan, which has the folder open already.
bool ReadMovieXmlAt(MovieRecord& record, int folderFd, const QString& fileName);

// The same on the file's bytes, already read.
void ParseMovieXml(MovieRecord& record, const QByteArray& bytes);
