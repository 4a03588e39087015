#include "library/file_name.h"
#include "library/movie_xml.h"
#include "library/thumbnail.h"
#include "pages/page_file.h"
#include "pipeline/fallback.h"
#include "tests/support/byte_names.h"
#include "tests/support/http_server.h"
#include "tests/support/poster_images.h"
#include "tests/support/temp_folder.h"
#include "web/poster.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

QStringList Temporaries() {
    return QDir::current().entryList({u"tem*.tmp"_s}, QDir::Files);
}

class PosterTest : public ::testing::Test {
protected:
    MovieRecord Movie(const QStringList& addresses) {
        MovieRecord movie;
        movie.FilePath = folder.file(u"Films/Some Film.mkv"_s);
        movie.FolderVideoCount = 3;
        movie.picurl = addresses.join(u'`');
        folder.mkdir(u"Films"_s);
        return movie;
    }
    void Serve(const QString& url, const QByteArray& body, int status = 200) {
        if (status == 200)
            server.Serve(url, body, "image/jpeg");
        else
            server.Fail(url, status);
    }

    TestHttpServer server;
    ProxyEnvironment proxy{server};
    TempFolder folder;
};

} // namespace

TEST(IsCompleteJpegTest, NeedsSizeAboveMinimumAndBothMarkers) {
    TempFolder folder;
    folder.write(u"exact.jpg"_s, JpegShapedBytes(20000));
    folder.write(u"above.jpg"_s, JpegShapedBytes(20001));
    QByteArray noStart = JpegShapedBytes(30000);
    noStart[1] = 'x';
    folder.write(u"nostart.jpg"_s, noStart);
    QByteArray noEnd = JpegShapedBytes(30000);
    noEnd[noEnd.size() - 1] = 'x';
    folder.write(u"noend.jpg"_s, noEnd);
    const QByteArray real = NoisyJpeg(300, 300);
    folder.write(u"real.jpg"_s, real);
    folder.write(u"cut.jpg"_s, real.left(real.size() - 100));
    folder.write(u"tiny.jpg"_s, NoisyJpeg(16, 16));

    EXPECT_FALSE(IsCompleteJpeg(folder.file(u"exact.jpg"_s), 20000));
    EXPECT_TRUE(IsCompleteJpeg(folder.file(u"above.jpg"_s), 20000));
    EXPECT_FALSE(IsCompleteJpeg(folder.file(u"nostart.jpg"_s), 20000));
    EXPECT_FALSE(IsCompleteJpeg(folder.file(u"noend.jpg"_s), 20000));
    EXPECT_TRUE(IsCompleteJpeg(folder.file(u"real.jpg"_s), 20000));
    EXPECT_FALSE(IsCompleteJpeg(folder.file(u"cut.jpg"_s), 20000));
    EXPECT_FALSE(IsCompleteJpeg(folder.file(u"tiny.jpg"_s), 20000));
    EXPECT_FALSE(IsCompleteJpeg(folder.file(u"missing.jpg"_s), 20000));
    EXPECT_FALSE(IsCompleteJpeg(folder.file(u"."_s), 20000));
}

TEST_F(PosterTest, StoresEveryCompleteJpegUnderNumberedNames) {
    const QByteArray a = NoisyJpeg(300, 300, 1), b = NoisyJpeg(300, 300, 2), c = NoisyJpeg(300, 300, 3);
    Serve(u"http://img.test/a.jpg"_s, a);
    Serve(u"http://img.test/b.jpg"_s, b);
    Serve(u"http://img.test/c.jpg"_s, c);
    MovieRecord movie = Movie({u"http://img.test/a.jpg"_s, u"http://img.test/b.jpg"_s, u"http://img.test/c.jpg"_s});
    movie.infourl = u"https://movie.example/subject/1/"_s;

    EXPECT_TRUE(DownloadPoster(movie));
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.jpg"_s), a);
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.1.jpg"_s), b);
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.2.jpg"_s), c);
    EXPECT_TRUE(Temporaries().isEmpty()) << Temporaries().join(u' ').toStdString();
    // Each picture is asked for as from the movie's information page (some hosts answer nothing else);
    // a movie without one sends no Referer.
    for (const auto& request : server.Requests())
        EXPECT_EQ(request.Header("Referer"), "https://movie.example/subject/1/") << request.Url().toStdString();
    movie.infourl.clear();
    movie.FilePath = folder.file(u"Films/Other Film.mkv"_s);
    EXPECT_TRUE(DownloadPoster(movie));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 6u);
    for (const auto& [name, value] : requests.back().Headers)
        EXPECT_NE(name.toLower(), "referer");
}

TEST_F(PosterTest, DropsWhatIsNotALargePictureConvertsOtherFormatsAndReusesTheNumber) {
    const QByteArray real = NoisyJpeg(300, 300, 4), second = NoisyJpeg(320, 300, 5);
    Serve(u"http://img.test/png"_s, NoisyPng(300, 300));
    Serve(u"http://img.test/icon"_s, NoisyPng(32, 32));
    Serve(u"http://img.test/cut"_s, real.left(real.size() / 2));
    Serve(u"http://img.test/small"_s, NoisyJpeg(16, 16));
    Serve(u"http://img.test/gone"_s, real, 404);
    Serve(u"http://img.test/good"_s, real);
    Serve(u"http://img.test/second"_s, second);
    // Empty entries and a secure address (never fetched) are skipped as well.
    const MovieRecord movie =
        Movie({u"http://img.test/icon"_s, u"http://img.test/png"_s, u""_s, u"http://img.test/cut"_s,
               u"https://img.test/x"_s, u"http://img.test/small"_s, u"http://img.test/gone"_s,
               u"http://img.test/good"_s, u"http://img.test/second"_s});

    EXPECT_TRUE(DownloadPoster(movie));
    // A poster served as PNG is kept as a JPEG; an icon is no poster.
    EXPECT_TRUE(folder.read(u"Films/Some Film.mkv.jpg"_s).startsWith("\xFF\xD8"));
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.1.jpg"_s), real);
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.2.jpg"_s), second);
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"Films/Some Film.mkv.3.jpg"_s)));
    EXPECT_TRUE(Temporaries().isEmpty());
}

TEST_F(PosterTest, AnEntryOfSeveralAddressesIsOnePictureFromTheFirstThatArrives) {
    const QByteArray poster = NoisyJpeg(300, 300, 6), larger = NoisyJpeg(400, 400, 7), still = NoisyJpeg(300, 200, 8);
    Serve(u"http://img.test/gone"_s, poster, 404);
    Serve(u"http://img.test/poster"_s, poster);
    Serve(u"http://img.test/larger"_s, larger);
    Serve(u"http://img.test/still"_s, still);
    MovieRecord movie = Movie({});
    movie.picurl = u"http://img.test/gone http://img.test/poster http://img.test/larger`http://img.test/still`"_s;

    EXPECT_TRUE(DownloadPoster(movie));
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.jpg"_s), poster);
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.1.jpg"_s), still);
    EXPECT_EQ(server.HitCount(u"http://img.test/larger"_s), 0);
}

TEST_F(PosterTest, ExistingPosterIsKeptAndNothingIsFetched) {
    Serve(u"http://img.test/a.jpg"_s, NoisyJpeg(300, 300));
    const MovieRecord movie = Movie({u"http://img.test/a.jpg"_s, u"http://img.test/a.jpg"_s});
    folder.write(u"Films/Some Film.mkv.jpg"_s, "mine");

    EXPECT_FALSE(DownloadPoster(movie));
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.jpg"_s), "mine");
    EXPECT_EQ(server.HitCount(u"http://img.test/a.jpg"_s), 0);
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"Films/Some Film.mkv.1.jpg"_s)));
}

TEST_F(PosterTest, AVideoNamedInGbkGetsItsPostersBesideItAndKeepsThem) {
    const QByteArray a = NoisyJpeg(300, 300, 1), b = NoisyJpeg(300, 300, 2);
    Serve(u"http://img.test/a.jpg"_s, a);
    Serve(u"http://img.test/b.jpg"_s, b);
    MovieRecord movie = Movie({u"http://img.test/a.jpg"_s, u"http://img.test/b.jpg"_s});
    const QByteArray video = QFile::encodeName(folder.file(u"Films/"_s)) + GbkVideoName;
    ASSERT_TRUE(SparseFileAt(video, 1));
    movie.FilePath = DecodeFileName(video);

    EXPECT_TRUE(DownloadPoster(movie));
    EXPECT_EQ(ReadFileAt(video + ".jpg"), a);
    EXPECT_EQ(ReadFileAt(video + ".1.jpg"), b);
    // Found again by their bytes: kept, and nothing is fetched for them.
    EXPECT_FALSE(DownloadPoster(movie));
    EXPECT_EQ(server.HitCount(u"http://img.test/a.jpg"_s), 1);
    EXPECT_EQ(NamesAt(QFile::encodeName(folder.file(u"Films"_s))),
              (QByteArrayList{GbkVideoName, GbkVideoName + ".1.jpg", GbkVideoName + ".jpg"}));
}

TEST_F(PosterTest, PosterThatAppearsDuringTheDownloadIsNotReplaced) {
    // Another download for the same movie (a worker and a retry) stores its poster first.
    server.ServeSlowly(u"http://img.test/a.jpg"_s, NoisyJpeg(300, 300), 8000, 100);
    const MovieRecord movie = Movie({u"http://img.test/a.jpg"_s});
    std::thread other([&] {
        while (server.HitCount(u"http://img.test/a.jpg"_s) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        folder.write(u"Films/Some Film.mkv.jpg"_s, "theirs");
    });
    EXPECT_FALSE(DownloadPoster(movie));
    other.join();
    EXPECT_EQ(folder.read(u"Films/Some Film.mkv.jpg"_s), "theirs");
    EXPECT_TRUE(Temporaries().isEmpty());
}

TEST_F(PosterTest, FolderRuleAndEmptyList) {
    Serve(u"http://img.test/a.jpg"_s, NoisyJpeg(300, 300));
    MovieRecord alone = Movie({u"http://img.test/a.jpg"_s});
    alone.FolderVideoCount = 1;
    alone.FolderImageCount = 1;
    alone.FolderImage = folder.file(u"Films/cover.jpg"_s);
    EXPECT_TRUE(DownloadPoster(alone));
    EXPECT_EQ(server.HitCount(u"http://img.test/a.jpg"_s), 0);

    // Alone, and the folder's only pictures are its own posters: the missing ones are downloaded.
    alone.FolderImage.clear();
    EXPECT_TRUE(DownloadPoster(alone));
    EXPECT_TRUE(QFileInfo::exists(alone.FilePath + u".jpg"_s));

    EXPECT_FALSE(DownloadPoster(Movie({})));
}

TEST_F(PosterTest, StopRequestedFetchesNothing) {
    Serve(u"http://img.test/a.jpg"_s, NoisyJpeg(300, 300));
    const std::atomic<bool> stop{true};
    EXPECT_FALSE(DownloadPoster(Movie({u"http://img.test/a.jpg"_s}), &stop));
    EXPECT_EQ(server.HitCount(u"http://img.test/a.jpg"_s), 0);
}

TEST_F(PosterTest, VanishedVideoFolderStoresNothingAndLeavesNoTemporary) {
    Serve(u"http://img.test/a.jpg"_s, NoisyJpeg(300, 300));
    MovieRecord movie = Movie({u"http://img.test/a.jpg"_s});
    movie.FilePath = folder.file(u"Gone/v.mkv"_s);
    EXPECT_FALSE(DownloadPoster(movie));
    EXPECT_EQ(server.HitCount(u"http://img.test/a.jpg"_s), 1);
    EXPECT_TRUE(Temporaries().isEmpty());
}

TEST_F(PosterTest, VideoOnAnotherFileSystemGetsItsPosterWhole) {
    // The working folder and the videos on different file systems: the move becomes a copy.
    QTemporaryDir other(u"/dev/shm/reelboard-test-XXXXXX"_s);
    struct stat here {
    }, there{};
    if (!other.isValid() || ::stat(".", &here) != 0 ||
        ::stat(QFile::encodeName(other.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system";
    const QByteArray image = NoisyJpeg(300, 300);
    Serve(u"http://img.test/a.jpg"_s, image);
    MovieRecord movie = Movie({u"http://img.test/a.jpg"_s, u"http://img.test/a.jpg"_s});
    movie.FilePath = other.path() + u"/v.mkv"_s;

    EXPECT_TRUE(DownloadPoster(movie));
    QFile poster(movie.FilePath + u".jpg"_s);
    ASSERT_TRUE(poster.open(QIODevice::ReadOnly));
    EXPECT_EQ(poster.readAll(), image);
    EXPECT_TRUE(QFileInfo::exists(movie.FilePath + u".1.jpg"_s));
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files).size(), 2) << "no part file left beside the video";
    EXPECT_TRUE(Temporaries().isEmpty());
}

TEST(DownloadTempFileTest, EveryCallGetsANewEmptyFile) {
    TempFolder folder;
    const QString a = CreateDownloadTempFile(), b = CreateDownloadTempFile();
    ASSERT_FALSE(a.isEmpty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(QFileInfo(a).fileName().startsWith(u"tem"_s));
    EXPECT_TRUE(a.endsWith(u".tmp"_s));
    EXPECT_EQ(QFileInfo(a).absolutePath(), QDir::current().absolutePath());
    EXPECT_EQ(QFileInfo(a).size(), 0);
}

// Every kind of file Reelboard writes gets the mode the umask gives new files, whatever way it is
// written (a download's private temporary, an atomic replacement).
TEST_F(PosterTest, EveryFileWrittenHasTheModeTheUmaskGives) {
    for (const mode_t mask : {mode_t(022), mode_t(077)}) {
        SCOPED_TRACE(mask);
        const mode_t old = umask(mask);
        MovieRecord movie = Movie({u"http://img.test/a.jpg"_s});
        movie.FilePath = folder.file(u"Films/Film %1.mkv"_s.arg(mask));
        Serve(u"http://img.test/a.jpg"_s, NoisyJpeg(300, 300));
        ASSERT_TRUE(DownloadPoster(movie));
        const QString poster = movie.FilePath + u".jpg"_s;
        const QString thumbnail = MakeThumbnail(poster);
        WriteMovieXml(movie);
        const QString page = WritePage(u"page%1.html"_s.arg(mask), u"<html></html>"_s);
        const QString list = folder.file(u"list%1.txt"_s.arg(mask));
        ReplaceFolderList(list, "x");
        ReplaceFolderList(list, "y");
        umask(old);
        for (const QString& path :
             QStringList{poster, thumbnail, movie.FilePath + u".xml"_s, page, list, list + u".bak"_s}) {
            struct stat st {};
            ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
            EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << path.toStdString();
        }
    }
}
