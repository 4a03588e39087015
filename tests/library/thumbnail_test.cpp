#include "library/local_store.h"
#include "library/thumbnail.h"
#include "tests/support/temp_folder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray Jpeg(int width, int height, QColor color = QColor(200, 40, 40)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

QSize SizeOf(const QString& path) {
    return QImageReader(path).size();
}

} // namespace

TEST(Thumbnail, PathDropsTheLastFourCharactersKeepingTheirCase) {
    EXPECT_EQ(ThumbnailPath(u"/films/a.avi.jpg"_s), u"/films/a.avi.thumb.jpg"_s);
    EXPECT_EQ(ThumbnailPath(u"/Films/Cover.JPG"_s), u"/Films/Cover.thumb.jpg"_s);
    EXPECT_EQ(ThumbnailPath(u"a"_s), u".thumb.jpg"_s);
}

TEST(Thumbnail, SizesFitTheBoxWithOneSideOnIt) {
    EXPECT_EQ(ThumbnailSize({600, 800}), QSize(117, 156));
    EXPECT_EQ(ThumbnailSize({1000, 1500}), QSize(110, 165));
    EXPECT_EQ(ThumbnailSize({300, 200}), QSize(117, 78));
    EXPECT_EQ(ThumbnailSize({50, 50}), QSize(117, 117));
    EXPECT_EQ(ThumbnailSize({234, 330}), QSize(117, 165));
    EXPECT_EQ(ThumbnailSize({117, 165}), QSize(117, 165));
    EXPECT_EQ(ThumbnailSize({4000, 10}), QSize(117, 0));
    EXPECT_FALSE(ThumbnailSize({0, 10}).isValid());
}

TEST(Thumbnail, RealPicturesGiveJpegsOfTheWorkedSizes) {
    TempFolder folder;
    const QList<std::pair<QSize, QSize>> cases = {
        {{600, 800}, {117, 156}}, {{1000, 1500}, {110, 165}}, {{300, 200}, {117, 78}},
        {{50, 50}, {117, 117}},   {{234, 330}, {117, 165}},   {{117, 165}, {117, 165}},
    };
    for (const auto& [picture, expected] : cases) {
        const QString name = u"p%1x%2.avi.jpg"_s.arg(picture.width()).arg(picture.height());
        folder.write(name, Jpeg(picture.width(), picture.height()));
        const QString thumbnail = MakeThumbnail(folder.file(name));
        EXPECT_EQ(thumbnail, folder.file(name.chopped(4) + u".thumb.jpg"_s));
        EXPECT_EQ(SizeOf(thumbnail), expected) << name.toStdString();
        const QImage image(thumbnail);
        EXPECT_EQ(QImageReader(thumbnail).format(), "jpeg");
        const QColor middle = image.pixelColor(image.width() / 2, image.height() / 2);
        EXPECT_NEAR(middle.red(), 200, 8);
        EXPECT_NEAR(middle.green(), 40, 8);
    }
}

TEST(Thumbnail, UpperCaseFolderImageAndNonJpegContent) {
    TempFolder folder;
    QImage png(400, 200, QImage::Format_RGB32);
    png.fill(Qt::blue);
    png.save(folder.file(u"Cover.JPG"_s), "PNG");
    const QString thumbnail = MakeThumbnail(folder.file(u"Cover.JPG"_s));
    EXPECT_EQ(thumbnail, folder.file(u"Cover.thumb.jpg"_s));
    EXPECT_EQ(SizeOf(thumbnail), QSize(117, 59));
}

TEST(Thumbnail, MissingPictureGivesNothing) {
    TempFolder folder;
    EXPECT_EQ(MakeThumbnail(folder.file(u"none.jpg"_s)), QString());
    EXPECT_EQ(MakeThumbnail(QString()), QString());
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"none.thumb.jpg"_s)));
}

TEST(Thumbnail, ExistingThumbnailIsNeverRemadeAndADeletedOneIs) {
    TempFolder folder;
    folder.write(u"a.avi.jpg"_s, Jpeg(600, 800));
    folder.write(u"a.avi.thumb.jpg"_s, "old");
    EXPECT_EQ(MakeThumbnail(folder.file(u"a.avi.jpg"_s)), folder.file(u"a.avi.thumb.jpg"_s));
    EXPECT_EQ(folder.read(u"a.avi.thumb.jpg"_s), "old");

    // Even when the picture is no longer an image at all.
    folder.write(u"a.avi.jpg"_s, "garbage");
    EXPECT_EQ(MakeThumbnail(folder.file(u"a.avi.jpg"_s)), folder.file(u"a.avi.thumb.jpg"_s));

    folder.write(u"a.avi.jpg"_s, Jpeg(600, 800));
    QFile::remove(folder.file(u"a.avi.thumb.jpg"_s));
    MakeThumbnail(folder.file(u"a.avi.jpg"_s));
    EXPECT_EQ(SizeOf(folder.file(u"a.avi.thumb.jpg"_s)), QSize(117, 156));
}

TEST(Thumbnail, CorruptOrTruncatedPictureWritesNothingAndIsTriedAgain) {
    TempFolder folder;
    folder.write(u"bad.jpg"_s, "\xFF\xD8\xFF\xE0 not really a jpeg");
    EXPECT_EQ(MakeThumbnail(folder.file(u"bad.jpg"_s)), folder.file(u"bad.thumb.jpg"_s));
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"bad.thumb.jpg"_s)));

    const QByteArray whole = Jpeg(600, 800);
    folder.write(u"cut.jpg"_s, whole.left(40));
    MakeThumbnail(folder.file(u"cut.jpg"_s));
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"cut.thumb.jpg"_s)));

    folder.write(u"cut.jpg"_s, whole);
    MakeThumbnail(folder.file(u"cut.jpg"_s));
    EXPECT_EQ(SizeOf(folder.file(u"cut.thumb.jpg"_s)), QSize(117, 156));
    // No temporary file is left behind by the failed attempts.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{u"bad.jpg"_s, u"cut.jpg"_s, u"cut.thumb.jpg"_s}));
}

namespace {

// A small progressive JPEG whose frame header claims `width` x `height` pixels.
QByteArray JpegDeclaring(int width, int height) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(20, 90, 160));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(image));
    for (qsizetype i = 2; i + 9 < bytes.size(); ++i) {
        if (uchar(bytes[i]) == 0xFF && (uchar(bytes[i + 1]) == 0xC0 || uchar(bytes[i + 1]) == 0xC2)) {
            bytes[i + 5] = char(height >> 8);
            bytes[i + 6] = char(height & 0xFF);
            bytes[i + 7] = char(width >> 8);
            bytes[i + 8] = char(width & 0xFF);
            return bytes;
        }
    }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

} // namespace

TEST(Thumbnail, DecompressionBombIsRefusedWithoutEatingMemory) {
    TempFolder folder;
    // 30000 x 30000 passes the image allocation limit at the decoder's 1/8 scale, yet a progressive
    // decode of it takes about three gigabytes.
    folder.write(u"bomb.jpg"_s, JpegDeclaring(30000, 30000));
    ASSERT_EQ(QImageReader(folder.file(u"bomb.jpg"_s)).size(), QSize(30000, 30000));
    EXPECT_EQ(MakeThumbnail(folder.file(u"bomb.jpg"_s)), folder.file(u"bomb.thumb.jpg"_s));
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"bomb.thumb.jpg"_s)));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 1024 * 1024) << "peak KB";

    // A large but plausible picture is still made into a thumbnail.
    folder.write(u"big.jpg"_s, Jpeg(3000, 4000));
    MakeThumbnail(folder.file(u"big.jpg"_s));
    EXPECT_EQ(SizeOf(folder.file(u"big.thumb.jpg"_s)), QSize(117, 156));
}

TEST(Thumbnail, ReadOnlyFolderGetsItsThumbnailFromTheLocalStore) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempFolder folder;
    folder.write(u"ro/a.jpg"_s, Jpeg(60, 80));
    QFile::setPermissions(folder.file(u"ro"_s), QFile::ReadOwner | QFile::ExeOwner);
    const QString made = MakeThumbnail(folder.file(u"ro/a.jpg"_s));
    EXPECT_TRUE(made.startsWith(LocalStoreRoot() + u'/') && made.endsWith(u"/a.thumb.jpg"_s)) << made.toStdString();
    EXPECT_TRUE(QFileInfo::exists(made));
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"ro/a.thumb.jpg"_s)));
    QFile::setPermissions(folder.file(u"ro"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
