#pragma once

#include <QString>

// Holds an exclusive lock on a video file while its metadata file is read, merged and replaced, so
// that two Reelboards over one library (two computers on a NAS) take turns. The video itself is
// locked because it is never replaced, unlike the metadata file. Where the file cannot be opened or
// the file system keeps no locks, nothing is held and the write goes on.
struct VideoLock {
    explicit VideoLock(const QString& video);
    ~VideoLock();
    VideoLock(const VideoLock&) = delete;
    VideoLock& operator=(const VideoLock&) = delete;

    int Fd = -1;
};
