#pragma once

#include "library/movie_record.h"

#include <QString>
#include <atomic>
#include <cstdint>

// True when the file opens, is larger than `minimumSize` bytes, starts with FF D8 and ends with FF D9.
bool IsCompleteJpeg(const QString& path, int64_t minimumSize);

// Stores the pictures listed in `movie.picurl` beside the video: the first as FilePath + ".jpg", the
// next as FilePath + ".1.jpg", ".2.jpg", ... Only complete JPEG files over 20 000 bytes are kept, an
// existing poster is never replaced, and a movie alone in a folder with pictures of its own is skipped.
// True when skipped that way or when at least one poster was stored. `stop` (may be null) aborts the
// transfer in progress and skips the remaining addresses. The posters go where the movie's side files
// are (SideFileBase); a folder that cannot be written sends them to the local store, and
// `storeFolder` (may be null) then gets the store folder that holds them.
bool DownloadPoster(const MovieRecord& movie, const std::atomic<bool>* stop = nullptr, QString* storeFolder = nullptr);

// A movie alone in its folder whose scan found a picture there that is not one of its own posters:
// that picture is its poster, and DownloadPoster reports it as had without fetching anything. Its own
// stored posters do not count, so posters missing beside them are still fetched.
bool FolderPictureServes(const MovieRecord& movie);

// A new, unique, empty "tem*.tmp" file in the working folder; its full path, or empty on failure.
QString CreateDownloadTempFile();
