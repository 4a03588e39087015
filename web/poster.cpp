#include "web/poster.h"

#include "library/file_access.h"
#include "library/file_move.h"
#include "library/local_store.h"
#include "library/movie_xml.h"
#include "library/split_string.h"
#include "web/poster_format.h"
#include "web/ydown.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int64_t MinimumPosterSize = 20000;

QString PosterTarget(const QString& base, int count) {
    if (count == 0)
        return base + u".jpg"_s;
    return base + u'.' + QString::number(count) + u".jpg"_s;
}

// Where the posters go: beside the video, or, when its folder cannot be written and holds no poster
// of it, the local store (whose folder is then put in `storeFolder`).
QString PosterBase(const MovieRecord& movie, QString& storeFolder) {
    const QString base = SideFileBase(movie);
    if (!movie.StoreFolder.isEmpty() || FolderWritable(base) || PathExists(base + u".jpg"_s))
        return base;
    const QString folder = LocalStoreFolderOf(movie.FilePath);
    if (folder.isEmpty() || !MakeLocalStoreFolder(folder, movie.FilePath))
        return base;
    storeFolder = folder;
    MovieRecord kept = movie;
    kept.StoreFolder = folder;
    return SideFileBase(kept);
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

bool DownloadPoster(const MovieRecord& movie, const std::atomic<bool>* stop, QString* storeFolder) {
    if (FolderPictureServes(movie))
        return true;

    QString store;
    const QString base = PosterBase(movie, store);
    bool stored = false;
    int count = 0;
    for (const QString& entry : SplitString(movie.picurl, u'`')) {
        if (stop && *stop)
            break;
        // An entry may list other addresses of the same picture, separated by blanks: the first that
        // arrives whole is kept.
        for (const QString& address : entry.split(u' ', Qt::SkipEmptyParts)) {
            if (stop && *stop)
                break;
            const QString target = PosterTarget(base, count);
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
                if (MoveFileWithoutReplacing(temporary, target))
                    stored = true;
                ++count;
            }
            QFile::remove(temporary);
            if (complete)
                break;
        }
    }
    if (stored && storeFolder)
        *storeFolder = store;
    return stored;
}
