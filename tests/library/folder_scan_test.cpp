#include "library/file_name.h"
#include "library/folder_scan.h"
#include "library/movie_xml.h"
#include "library/thumbnail.h"
#include "tests/support/byte_names.h"
#include "tests/support/poster_images.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 VideoSize = MinimumVideoBytes + 1;

QStringList FileNames(const MovieLibrary& library) {
    QStringList names;
    for (const MovieRecord& record : library.Movies)
        names << record.FileName;
    return names;
}

QStringList SummaryPaths(const MovieLibrary& library) {
    QStringList paths;
    for (const FolderSummary& summary : library.Folders)
        paths << summary.Path;
    return paths;
}

const FolderSummary* SummaryOf(const MovieLibrary& library, const QString& path) {
    for (const FolderSummary& summary : library.Folders)
        if (summary.Path == path)
            return &summary;
    return nullptr;
}

} // namespace

TEST(IsVideoFile, SearchesTheTailInsideTheExtensionList) {
    for (const QString& path : {u"/m/MOVIE.MKV"_s, u"/m/a.mpeg"_s, u"/m/a.rmvb"_s, u"/m/a.rm"_s, u"/m/a.avi"_s,
                                u"/m/a.mp"_s, u"/m/a.3gp"_s, u"/m/a.mov"_s, u"/m/a.wmv"_s, u"/m/a.MP4"_s})
        EXPECT_TRUE(IsVideoFile(path)) << path.toStdString();
    for (const QString& path :
         {u"/m/a.ts"_s, u"/m/a.flv"_s, u"/m/a.m2ts"_s, u"/m/a.vob"_s, u"/m/a.jpg"_s, u"/m/a.xml"_s, u"/m/a.avi.xml"_s})
        EXPECT_FALSE(IsVideoFile(path)) << path.toStdString();
    EXPECT_TRUE(IsVideoFile(u"avi"_s)); // shorter than four: the whole path is the tail
}

TEST(IsFolderImageFile, CountsJpgButNotThumbnails) {
    EXPECT_TRUE(IsFolderImageFile(u"/m/cover.JPG"_s));
    EXPECT_TRUE(IsFolderImageFile(u"/m/cover.jpg"_s));
    EXPECT_FALSE(IsFolderImageFile(u"/m/cover.jpeg"_s));
    EXPECT_FALSE(IsFolderImageFile(u"/m/a.thumb.jpg"_s));
    EXPECT_FALSE(IsFolderImageFile(u"/m/x.thumb.d/cover.jpg"_s));
    EXPECT_TRUE(IsFolderImageFile(u"/m/a.THUMB.jpg"_s)); // the thumbnail test is case-sensitive
}

TEST(ScanFolder, SizeThresholdIsExclusive) {
    TempFolder temp;
    temp.sparse(u"m/exact.avi"_s, MinimumVideoBytes);
    temp.sparse(u"m/larger.avi"_s, MinimumVideoBytes + 1);
    temp.sparse(u"m/big.flv"_s, VideoSize);
    MovieLibrary library;
    ScanFolder(library, temp.file(u"m"_s));
    EXPECT_EQ(FileNames(library), QStringList{u"larger.avi"_s});
    ASSERT_EQ(library.Folders.size(), 1u);
    EXPECT_EQ(library.Folders[0].VideoCount, 1);
}

// Created against name order, so that no file system lists them in it by chance (tmpfs lists the
// newest first, ext4 in hash order).
TEST(ScanFolder, RecordsFollowNameOrderDepthFirstAndSubfolderSummariesComeFirst) {
    TempFolder temp;
    const QString a = temp.file(u"A"_s);
    temp.sparse(u"A/z.avi"_s, VideoSize);
    temp.sparse(u"A/B/C/w.mkv"_s, VideoSize);
    temp.sparse(u"A/B/y.avi"_s, VideoSize);
    temp.sparse(u"A/b.avi"_s, VideoSize);
    temp.sparse(u"A/x.avi"_s, VideoSize);
    temp.sparse(u"A/a2.avi"_s, VideoSize);
    temp.sparse(u"A/A1.avi"_s, VideoSize);
    temp.sparse(u"A/a1.avi"_s, VideoSize);
    MovieLibrary library;
    ScanFolder(library, a);
    EXPECT_EQ(FileNames(library), (QStringList{u"A1.avi"_s, u"a1.avi"_s, u"a2.avi"_s, u"w.mkv"_s, u"y.avi"_s,
                                               u"b.avi"_s, u"x.avi"_s, u"z.avi"_s}))
        << "folder B sorts before b.avi, its videos with it";
    EXPECT_EQ(SummaryPaths(library), (QStringList{a + u"/B/C"_s, a + u"/B"_s, a}));
    for (const MovieRecord& record : library.Movies) {
        EXPECT_EQ(record.FilePath, record.Folder + u'/' + record.FileName);
        EXPECT_EQ(record.SearchKey, record.FilePath.toLower());
    }
}

TEST(ScanFolder, CountsVideosImagesAndSubfolders) {
    TempFolder temp;
    temp.sparse(u"m/Film.AVI"_s, VideoSize);
    temp.sparse(u"m/small.avi"_s, 1000);
    temp.write(u"m/Cover.JPG"_s, "x");
    temp.write(u"m/Film.AVI.thumb.jpg"_s, "x");
    temp.write(u"m/notes.txt"_s, "x");
    temp.mkdir(u"m/sub1"_s);
    temp.mkdir(u"m/$RECYCLE.BIN"_s);
    MovieLibrary library;
    const QString m = temp.file(u"m"_s);
    ScanFolder(library, m);
    const FolderSummary* summary = SummaryOf(library, m);
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->VideoCount, 1);
    EXPECT_EQ(summary->ImageCount, 1);
    EXPECT_EQ(summary->SubfolderCount, 2);
    EXPECT_EQ(summary->FirstImage, m + u"/Cover.JPG"_s);
    // The file system's letter case is kept; only the search key is lower case.
    ASSERT_EQ(library.Movies.size(), 1u);
    EXPECT_EQ(library.Movies[0].FilePath, m + u"/Film.AVI"_s);
    EXPECT_EQ(library.Movies[0].SearchKey, (m + u"/Film.AVI"_s).toLower());
    EXPECT_EQ(library.Movies[0].DisplayTitle, u"film"_s);
}

TEST(ScanFolder, FirstImageIsTheFirstInNameOrder) {
    TempFolder temp;
    for (const QString& name : {u"d.jpg"_s, u"b.jpg"_s, u"C.jpg"_s, u"a.jpg"_s})
        temp.write(u"m/"_s + name, "x");
    MovieLibrary library;
    ScanFolder(library, temp.file(u"m"_s));
    ASSERT_EQ(library.Folders.size(), 1u);
    EXPECT_EQ(library.Folders[0].ImageCount, 4);
    EXPECT_EQ(library.Folders[0].FirstImage, temp.file(u"m/a.jpg"_s));
}

TEST(ScanFolder, AVideosOwnPostersAreNeverTheFolderPicture) {
    // Pictures in name order; the folder picture is the first that belongs to no video of the folder.
    struct Case {
        QStringList videos, pictures;
        QString first;
    };
    const Case cases[] = {
        {{u"A.mkv"_s, u"B.mkv"_s}, {u"A.mkv.jpg"_s, u"A.mkv.1.jpg"_s}, {}},
        {{u"A.mkv"_s, u"B.mkv"_s}, {u"A.mkv.jpg"_s, u"a.mkv.2.JPG"_s, u"cover.jpg"_s}, u"cover.jpg"_s},
        {{u"A.mkv"_s}, {u"A.mkv.jpg"_s}, {}}, // the movie's own poster serves it as its poster, not as the folder's
        {{u"A.mkv"_s}, {u"A.mkv.x.jpg"_s, u"Gone.mkv.jpg"_s}, u"A.mkv.x.jpg"_s},
        {{}, {u"small.mkv.jpg"_s}, u"small.mkv.jpg"_s}, // a file too small to be a video owns nothing
    };
    for (const Case& c : cases) {
        TempFolder temp;
        for (const QString& video : c.videos)
            temp.sparse(u"m/"_s + video, VideoSize);
        temp.sparse(u"m/small.mkv"_s, 1000);
        for (const QString& picture : c.pictures)
            temp.write(u"m/"_s + picture, "x");
        MovieLibrary library;
        ScanFolder(library, temp.file(u"m"_s));
        ASSERT_EQ(library.Folders.size(), 1u);
        EXPECT_EQ(library.Folders[0].ImageCount, c.pictures.size());
        EXPECT_EQ(library.Folders[0].FirstImage, c.first.isEmpty() ? QString() : temp.file(u"m/"_s + c.first))
            << c.pictures.join(u' ').toStdString();
    }
}

TEST(ScanFolder, RecycleBinsAndTrashFoldersAreCountedNotScanned) {
    TempFolder temp;
    temp.sparse(u"m/$RECYCLE.BIN/a.avi"_s, VideoSize);
    temp.sparse(u"m/Recycle/b.avi"_s, VideoSize);
    temp.sparse(u"m/.Trash/c.avi"_s, VideoSize);
    temp.sparse(u"m/.Trash-1000/files/d.avi"_s, VideoSize);
    temp.sparse(u"m/.Trashy/e.avi"_s, VideoSize);
    MovieLibrary library;
    ScanFolder(library, temp.file(u"m"_s));
    QStringList names = FileNames(library);
    names.sort();
    EXPECT_EQ(names, (QStringList{u"b.avi"_s, u"e.avi"_s}));
    EXPECT_EQ(SummaryOf(library, temp.file(u"m"_s))->SubfolderCount, 5);
    EXPECT_EQ(SummaryOf(library, temp.file(u"m/$RECYCLE.BIN"_s)), nullptr);
}

TEST(ScanFolder, InsideARecycleBinOnlyTheFilesAreScanned) {
    TempFolder temp;
    temp.sparse(u"RECYCLER/top.avi"_s, VideoSize);
    temp.sparse(u"RECYCLER/inner/deep.avi"_s, VideoSize);
    MovieLibrary library;
    ScanFolder(library, temp.file(u"RECYCLER"_s));
    EXPECT_EQ(FileNames(library), QStringList{u"top.avi"_s});
    EXPECT_EQ(library.Folders.size(), 1u);
}

TEST(ScanFolder, FollowsLinksButNeverALoop) {
    TempFolder temp;
    temp.sparse(u"store/real.avi"_s, VideoSize);
    temp.sparse(u"m/own.avi"_s, VideoSize);
    ASSERT_TRUE(QFile::link(temp.file(u"store"_s), temp.file(u"m/linked"_s)));
    ASSERT_TRUE(QFile::link(temp.file(u"m"_s), temp.file(u"m/back"_s)));
    ASSERT_TRUE(QFile::link(temp.file(u"store/real.avi"_s), temp.file(u"m/alias.avi"_s)));
    ASSERT_TRUE(QFile::link(temp.file(u"nowhere.avi"_s), temp.file(u"m/dangling.avi"_s)));
    MovieLibrary library;
    ScanFolder(library, temp.file(u"m"_s));
    QStringList paths;
    for (const MovieRecord& record : library.Movies)
        paths << record.FilePath;
    paths.sort();
    EXPECT_EQ(paths,
              (QStringList{temp.file(u"m/alias.avi"_s), temp.file(u"m/linked/real.avi"_s), temp.file(u"m/own.avi"_s)}));
    // "back" is a subfolder entry but leads to a folder already being scanned.
    EXPECT_EQ(SummaryOf(library, temp.file(u"m"_s))->SubfolderCount, 2);
    EXPECT_EQ(SummaryOf(library, temp.file(u"m/back"_s)), nullptr);
}

TEST(ScanFolder, MissingFolderGivesAnEmptySummaryWithThePathAsGiven) {
    TempFolder temp;
    MovieLibrary library;
    const QString missing = u" \uFEFF"_s + temp.file(u"missing"_s);
    ScanFolder(library, missing);
    ASSERT_EQ(library.Folders.size(), 1u);
    EXPECT_EQ(library.Folders[0].Path, missing);
    EXPECT_EQ(library.Folders[0].VideoCount + library.Folders[0].ImageCount + library.Folders[0].SubfolderCount, 0);
    ScanFolder(library, u" \t"_s);
    EXPECT_EQ(library.Folders.size(), 1u); // nothing to scan: nothing recorded
}

TEST(ScanFolder, LoadsTheMetadataFile) {
    TempFolder temp;
    temp.sparse(u"m/Heat.1995.avi"_s, VideoSize);
    MovieRecord stored;
    stored.FilePath = temp.file(u"m/Heat.1995.avi"_s);
    stored.Title = u"Heat"_s;
    stored.Overview = u"LA"_s;
    ASSERT_TRUE(WriteMovieXml(stored));
    // A metadata file written on a case-insensitive system has a lower-case name.
    temp.sparse(u"m/Up.2009.AVI"_s, VideoSize);
    temp.write(u"m/up.2009.avi.xml"_s, Utf16Le(u"<Title>Up</Title>"_s));
    temp.sparse(u"m/None.avi"_s, VideoSize);
    MovieLibrary library;
    ScanFolder(library, temp.file(u"m"_s));
    ASSERT_EQ(library.Movies.size(), 3u);
    for (const MovieRecord& record : library.Movies) {
        if (record.FileName == u"Heat.1995.avi") {
            EXPECT_EQ(record.Title, u"Heat"_s);
            EXPECT_EQ(record.SearchKey, stored.FilePath.toLower() + u"heatla"_s);
        } else if (record.FileName == u"Up.2009.AVI") {
            EXPECT_EQ(record.Title, u"Up"_s);
        } else {
            EXPECT_EQ(record.Title, QString());
            EXPECT_EQ(record.SearchKey, record.FilePath.toLower());
        }
    }
}

TEST(ScanListedFolder, TrimsTheLineAndOneTrailingSlash) {
    TempFolder temp;
    temp.sparse(u"m/a.avi"_s, VideoSize);
    const QString m = temp.file(u"m"_s);
    for (const QString& line :
         QStringList{m, m + u'/', u"\uFEFF"_s + m, u"  "_s + m + u"/\r"_s, u"\t"_s + m + u"\t"_s}) {
        MovieLibrary library;
        EXPECT_EQ(ScanListedFolder(library, line), 0);
        ASSERT_EQ(library.Movies.size(), 1u) << line.toStdString();
        EXPECT_EQ(library.Movies[0].Folder, m);
        EXPECT_EQ(SummaryPaths(library), QStringList{m});
    }
    MovieLibrary library;
    ScanListedFolder(library, u"   \r"_s);
    EXPECT_TRUE(library.Folders.empty());
}

TEST(ScanListedFolder, ExpandsTheHomeFolder) {
    TempFolder temp;
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(temp.path()));
    const QString expected = QDir::homePath() + u"/Videos"_s;
    temp.sparse(u"Videos/a.avi"_s, VideoSize);
    MovieLibrary library;
    ScanListedFolder(library, u"~/Videos/"_s);
    qputenv("HOME", home);
    ASSERT_EQ(library.Movies.size(), 1u);
    EXPECT_EQ(library.Movies[0].Folder, expected);
}

TEST(ScanFolder, APipeNamedLikeAMetadataFileIsSkipped) {
    TempFolder temp;
    temp.sparse(u"m/a.avi"_s, VideoSize);
    ASSERT_EQ(mkfifo(QFile::encodeName(temp.file(u"m/a.avi.xml"_s)).constData(), 0600), 0);
    MovieLibrary library;
    ScanFolder(library, temp.file(u"m"_s)); // would wait forever for a writer if the pipe were opened plainly
    ASSERT_EQ(library.Movies.size(), 1u);
    EXPECT_EQ(library.Movies[0].Title, QString());
}

TEST(ScanFolder, NoImageCountsInsideAThumbnailFolder) {
    TempFolder temp;
    temp.write(u"m/old.thumb.d/cover.jpg"_s, "x");
    temp.write(u"m/x.jpg"_s, "x");
    temp.write(u"m/old.thumb.d/a"_s, "x");
    MovieLibrary library;
    ScanFolder(library, temp.file(u"m"_s));
    EXPECT_EQ(SummaryOf(library, temp.file(u"m/old.thumb.d"_s))->ImageCount, 0);
    EXPECT_EQ(SummaryOf(library, temp.file(u"m"_s))->ImageCount, 1);
}

TEST(ScanFolder, GbkNamesAreFoundAndTheirSideFilesGoBesideThemByteForByte) {
    TempFolder temp;
    const QByteArray root = QFile::encodeName(temp.path());
    const QByteArray folder = root + '/' + GbkFolderName;
    const QByteArray video = folder + '/' + GbkVideoName;
    ASSERT_TRUE(MakeFolderAt(folder));
    ASSERT_TRUE(SparseFileAt(video, VideoSize));
    ASSERT_TRUE(WriteFileAt(video + ".jpg", NoisyJpeg(200, 300, 1)));

    MovieLibrary library;
    ScanFolder(library, temp.path());
    ASSERT_EQ(library.Movies.size(), 1u);
    MovieRecord record = library.Movies[0];
    EXPECT_EQ(EncodeFileName(record.FilePath), video);
    EXPECT_EQ(EncodeFileName(record.FileName), GbkVideoName);
    EXPECT_EQ(EncodeFileName(record.Folder), folder);
    EXPECT_EQ(record.DisplayTitle, u"盗梦空间 2010"_s);
    EXPECT_TRUE(record.SearchKey.contains(u"/电影/盗梦空间.2010.mkv"_s));
    ASSERT_EQ(library.Folders.size(), 2u);
    EXPECT_EQ(library.Folders[0].FirstImage, QString()); // its own poster, not a folder picture

    record.Title = u"盗梦空间"_s;
    ASSERT_TRUE(WriteMovieXml(record));
    EXPECT_EQ(MakeThumbnail(record.FilePath + u".jpg"_s), record.FilePath + u".thumb.jpg"_s);
    EXPECT_EQ(NamesAt(folder), (QByteArrayList{GbkVideoName, GbkVideoName + ".jpg", GbkVideoName + ".thumb.jpg",
                                               GbkVideoName + ".xml"}));
    EXPECT_TRUE(ReadFileAt(video + ".thumb.jpg").value_or(QByteArray()).startsWith("\xFF\xD8"));

    // The next scan reads the metadata file back.
    MovieLibrary again;
    ScanFolder(again, temp.path());
    ASSERT_EQ(again.Movies.size(), 1u);
    EXPECT_EQ(again.Movies[0].Title, u"盗梦空间"_s);
}
