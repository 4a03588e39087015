#include "web/poster.h"

#include "library/file_access.h"
#include "library/file_mode.h"
#include "library/file_name.h"
#include "library/split_string.h"
#include "web/poster_format.h"
#include "web/ydown.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int64_t MinimumPosterSize = 20000;

QString PosterTarget(const QString& filePath, int count) {
    if (count == 0)
        return filePath + u".jpg"_s;
    return filePath + u'.' + QString::number(count) + u".jpg"_s;
}

// rename() that never replaces an existing `to`. Falls back to a plain check-then-rename on file
// systems without the no-replace flag.
bool RenameWithoutReplacing(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    struct stat st {};
    if (::stat(to.constData(), &st) == 0)
        return false;
    return ::rename(from.constData(), to.constData()) == 0;
}

// Moves a finished download to its poster name. The poster appears whole or not at all, since the wall
// may be making its thumbnail at the same moment, and an existing poster is never replaced (two calls
// for the same movie may overlap). The working folder and the video usually lie on different file
// systems: then the bytes are first copied beside the target.
bool MovePoster(const QString& from, const QString& to) {
    const QByteArray source = EncodeFileName(from);
    const QByteArray target = EncodeFileName(to);
    // The download's temporary file is private.
    ::chmod(source.constData(), NewFileMode());
    if (RenameWithoutReplacing(source, target))
        return true;
    if (errno != EXDEV)
        return false;
    QByteArray part = target + ".XXXXXX";
    const int fd = mkstemp(part.data());
    if (fd < 0)
        return false;
    ::fchmod(fd, NewFileMode());
    QByteArray bytes;
    bool copied = ReadWholeFile(AT_FDCWD, from, bytes) && WriteAll(fd, bytes);
    copied = ::close(fd) == 0 && copied;
    if (!copied || !RenameWithoutReplacing(part, target)) {
        ::unlink(part.constData());
        return false;
    }
    QFile::remove(from);
    return true;
}

} // namespace

bool IsCompleteJpeg(const QString& path, int64_t minimumSize) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const int64_t size = file.size();
    if (size <= minimumSize || size < 2)
        return false;
    const QByteArray head = file.read(2);
    if (head != QByteArray("\xFF\xD8", 2))
        return false;
    if (!file.seek(size - 2))
        return false;
    return file.read(2) == QByteArray("\xFF\xD9", 2);
}

QString CreateDownloadTempFile() {
    // mkstemps gives every concurrent download its own name, as the ten workers and the pipeline
    // thread may all be downloading at once.
    QByteArray name = QFile::encodeName(QDir::current().absoluteFilePath(u"temXXXXXX.tmp"_s));
    const int fd = mkstemps(name.data(), 4);
    if (fd < 0)
        return {};
    ::close(fd);
    return QFile::decodeName(name);
}

bool FolderPictureServes(const MovieRecord& movie) {
    return movie.FolderVideoCount == 1 && !movie.FolderImage.isEmpty();
}

bool DownloadPoster(const MovieRecord& movie, const std::atomic<bool>* stop) {
    if (FolderPictureServes(movie))
        return true;

    bool stored = false;
    int count = 0;
    for (const QString& entry : SplitString(movie.picurl, u'`')) {
        // An entry may list other addresses of the same picture, separated by blanks: the first that
        // arrives whole is kept.
        for (const QString& address : entry.split(u' ', Qt::SkipEmptyParts)) {
            if (stop && *stop)
                return stored;
            const QString target = PosterTarget(movie.FilePath, count);
            // An existing poster is kept; the next entry aims at the same target.
            if (PathExists(target))
                break;
            const QString temporary = CreateDownloadTempFile();
            if (temporary.isEmpty())
                break;
            YDown down(stop);
            // Picture hosts of some sites answer only requests that come from their pages.
            down.Referer = movie.infourl;
            down.Download(address, QString(), temporary, u"Content-Type: image/jpeg"_s);
            // A site may serve its poster as WebP or PNG; it is kept as a JPEG like any other.
            const bool complete = IsCompleteJpeg(temporary, MinimumPosterSize) ||
                                  (ConvertPictureToJpeg(temporary) && IsCompleteJpeg(temporary, MinimumPosterSize));
            if (complete) {
                // A failed move (the poster appeared meanwhile, a read-only folder) still uses up the
                // number, but is not reported as stored.
                if (MovePoster(temporary, target))
                    stored = true;
                ++count;
            }
            QFile::remove(temporary);
            if (complete)
                break;
        }
    }
    return stored;
}
