#include "library/metadata_stamp.h"

#include "library/file_access.h"
#include "library/file_name.h"

#include <QHashFunctions>

namespace {

MetadataStamp StampOf(const struct stat& info, const QByteArray& bytes) {
    // A fixed seed: stamps are compared within one run and across the threads of it.
    return {true, static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, qHash(bytes, size_t(0))};
}

} // namespace

MetadataStamp ReadStamped(int folderFd, const QString& path, QByteArray& bytes) {
    struct stat info {};
    bytes.clear();
    if (!ReadWholeFile(folderFd, path, bytes, &info))
        return {};
    return StampOf(info, bytes);
}

MetadataStamp StampOfWritten(const QString& path, const QByteArray& bytes) {
    struct stat info {};
    if (::stat(EncodeFileName(path).constData(), &info) != 0)
        return {};
    return StampOf(info, bytes);
}
