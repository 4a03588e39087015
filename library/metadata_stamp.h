#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

// Which version of a metadata file a record came from. A network file system's times are coarse, so
// a file counts as unchanged only when its size, its modification time and its content all agree.
struct MetadataStamp {
    bool Exists = false;
    qint64 Size = -1;
    qint64 ModifiedNs = 0;
    size_t Digest = 0;

    bool operator==(const MetadataStamp&) const = default;
};

// Reads the whole regular file at `path` (relative to `folderFd`, or AT_FDCWD) into `bytes` and
// stamps it; a file that cannot be read gives a stamp with Exists false and no bytes.
MetadataStamp ReadStamped(int folderFd, const QString& path, QByteArray& bytes);

// The stamp of a file whose bytes are known (just written): its status, and the digest of `bytes`.
MetadataStamp StampOfWritten(const QString& path, const QByteArray& bytes);
