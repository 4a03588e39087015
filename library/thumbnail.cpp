#include "library/thumbnail.h"

#include "library/atomic_file.h"
#include "library/file_access.h"
#include "library/file_move.h"
#include "library/local_store.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>

using namespace Qt::StringLiterals;

QString ThumbnailPath(const QString& picture) {
    return picture.left(std::max<qsizetype>(0, picture.size() - 4)) + u".thumb.jpg"_s;
}

QSize ThumbnailSize(QSize picture) {
    if (picture.width() <= 0 || picture.height() <= 0)
        return {};
    const double scale = std::max(double(picture.width()) / ThumbnailWidth, double(picture.height()) / ThumbnailHeight);
    return {int(picture.width() / scale + 0.5), int(picture.height() / scale + 0.5)};
}

namespace {

// A few hundred bytes of JPEG can declare 30000 x 30000 pixels; decoding it (progressive, above all)
// takes gigabytes whatever the output scale. No poster comes near this; 8192 x 8192 keeps the
// decoder's worst case to a few hundred megabytes.
constexpr qint64 MaxPicturePixels = qint64(8192) * 8192;

QImage ReadScaled(const QString& picture) {
    // Read from the path's own bytes; the format is known by the content.
    QByteArray bytes;
    if (!ReadWholeFile(AT_FDCWD, picture, bytes))
        return {};
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    QImageReader reader(&file);
    const QSize declared = reader.size();
    if (qint64(declared.width()) * declared.height() > MaxPicturePixels)
        return {};
    const QSize size = ThumbnailSize(declared);
    if (!size.isValid())
        return {};
    // The JPEG decoder then works at a reduced scale, which is most of the speed; quality 75 keeps
    // its final smooth scaling step.
    reader.setScaledSize(size);
    reader.setQuality(75);
    QImage image = reader.read();
    if (!image.isNull() && image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

// Through a temporary file and a rename: the page may load the thumbnail while it is written, and two
// threads may make the same one at once.
bool WriteJpeg(const QImage& image, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(90);
    return writer.write(image) && WriteFileAtomically(path, bytes);
}

} // namespace

QString MakeThumbnail(QString picture) {
    if (picture.isEmpty() || !PathExists(picture))
        return {};
    return MakeThumbnailOfExisting(picture);
}

QString MakeThumbnailOfExisting(const QString& picture) {
    const QString thumbnail = ThumbnailPath(picture);
    if (PathExists(thumbnail))
        return thumbnail;
    // A picture in a folder that cannot be written has its thumbnail in the local store, under the
    // picture's own entry; once the folder can be written it is moved beside the picture.
    const QString entry = LocalStoreFolderOf(picture);
    const QString kept = entry.isEmpty() ? QString() : entry + u'/' + thumbnail.mid(thumbnail.lastIndexOf(u'/') + 1);
    if (!kept.isEmpty() && PathExists(kept)) {
        if (!FolderWritable(thumbnail) || !MoveFileWithoutReplacing(kept, thumbnail))
            return kept;
        RemoveLocalStoreFolder(entry);
        return thumbnail;
    }
    const QImage image = ReadScaled(picture);
    if (image.isNull() || WriteJpeg(image, thumbnail) || kept.isEmpty())
        return thumbnail;
    if (MakeLocalStoreFolder(entry, picture) && WriteJpeg(image, kept))
        return kept;
    return thumbnail;
}
