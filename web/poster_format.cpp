#include "web/poster_format.h"

#include "library/file_access.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <fcntl.h>

namespace {

constexpr qint64 MaxPicturePixels = qint64(8192) * 8192;
constexpr int MinPosterSide = 100;
constexpr int JpegQuality = 90;

} // namespace

bool ConvertPictureToJpeg(const QString& path) {
    QByteArray bytes;
    if (!ReadWholeFile(AT_FDCWD, path, bytes) || bytes.startsWith("\xFF\xD8"))
        return false;
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    QImageReader reader(&input);
    const QSize declared = reader.size();
    if (!declared.isValid() || qint64(declared.width()) * declared.height() > MaxPicturePixels ||
        std::min(declared.width(), declared.height()) < MinPosterSide)
        return false;
    QImage image = reader.read();
    if (image.isNull())
        return false;
    // A transparent picture shows on white, as the page showed it.
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    }
    QByteArray jpeg;
    QBuffer output(&jpeg);
    output.open(QIODevice::WriteOnly);
    if (!image.save(&output, "JPEG", JpegQuality))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(jpeg) == jpeg.size();
}
