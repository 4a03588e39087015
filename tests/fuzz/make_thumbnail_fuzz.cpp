// Thumbnails of downloaded pictures, which may be cut short, corrupt or built to exhaust memory.
#include "library/thumbnail.h"
#include "tests/fuzz/fuzz_support.h"

#include <QFile>
#include <QImageReader>
#include <cstdlib>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString picture = FuzzFolder() + u"/poster.jpg"_s;
    static const QString thumbnail = ThumbnailPath(picture);
    WriteFuzzFile(picture, FuzzBytes(data, size));
    QFile::remove(thumbnail);

    if (MakeThumbnail(picture) != thumbnail)
        std::abort();
    if (QFile::exists(thumbnail)) {
        // Whatever was written is a picture that fits the wall's box.
        const QSize made = QImageReader(thumbnail).size();
        if (!made.isValid() || made.width() > ThumbnailWidth || made.height() > ThumbnailHeight)
            std::abort();
    }
    // A picture of a few kilobytes must never cost the decoder a gigabyte (the plain replay build has
    // no memory limit of its own).
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    if (usage.ru_maxrss > 1024 * 1024)
        std::abort();
    return 0;
}
