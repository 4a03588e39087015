#include "library/folder_scan.h"
#include "pages/builtin_texts.h"
#include "pages/text_codec.h"
#include "pages/wall_page.h"
#include "pipeline/fallback.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::vector<MovieRecord> InFolders(const QStringList& folders) {
    std::vector<MovieRecord> movies;
    for (const QString& folder : folders) {
        MovieRecord record;
        record.Folder = folder;
        record.FilePath = folder + u"/x.avi"_s;
        movies.push_back(record);
    }
    return movies;
}

constexpr int64_t VideoSize = 30'000'001;

} // namespace

TEST(FallbackFolders, SubfoldersDropOutWhenTheirParentIsListed) {
    EXPECT_EQ(FoldersToList(InFolders({u"/data/Movies"_s, u"/data/Movies"_s, u"/data/Movies/Old"_s})),
              QStringList{u"/data/Movies"_s});
    // A subfolder seen before its parent still goes once the list is sorted.
    EXPECT_EQ(FoldersToList(InFolders({u"/data/Movies/Old"_s, u"/data/Movies"_s})), QStringList{u"/data/Movies"_s});
    EXPECT_EQ(FoldersToList(InFolders({u"/"_s, u"/media/x"_s})), QStringList{u"/"_s});
    EXPECT_EQ(FoldersToList(InFolders({u"/data/Movies/"_s, u"/data/Movies/Old"_s})), QStringList{u"/data/Movies/"_s});
}

TEST(FallbackFolders, SiblingsAndLookAlikesAreKept) {
    // "/data/Movies2" merely starts with "/data/Movies"; "/backup/data/Movies" merely contains it.
    EXPECT_EQ(FoldersToList(InFolders({u"/data/Movies"_s, u"/data/Movies2"_s, u"/backup/data/Movies"_s})),
              (QStringList{u"/backup/data/Movies"_s, u"/data/Movies"_s, u"/data/Movies2"_s}));
    // "/a b" sorts between "/a" and "/a/x"; "/a/x" is still recognised as inside "/a".
    EXPECT_EQ(FoldersToList(InFolders({u"/a/x"_s, u"/a b"_s, u"/a"_s})), (QStringList{u"/a"_s, u"/a b"_s}));
}

TEST(FallbackFolders, SortedByCodeUnitsCaseSensitive) {
    EXPECT_EQ(FoldersToList(InFolders({u"/mnt/Zeta"_s, u"/media/Alpha"_s, u"/media/alpha"_s, u"/media/Beta"_s})),
              (QStringList{u"/media/Alpha"_s, u"/media/Beta"_s, u"/media/alpha"_s, u"/mnt/Zeta"_s}));
    EXPECT_TRUE(FoldersToList({}).isEmpty());
}

TEST(FallbackFolderList, BytesAreBomHeaderAndCrlfLines) {
    const QByteArray bytes = FolderListBytes(u"# 说明\r\n"_s, {u"/media/影片"_s, u"/mnt"_s});
    EXPECT_EQ(bytes, Utf16Le(u"# 说明\r\n/media/影片\r\n/mnt\r\n"_s));
    EXPECT_EQ(FolderListBytes(u"h\r\n"_s, {}), Utf16Le(u"h\r\n"_s));
}

TEST(FallbackFolderList, ReplacingKeepsThePreviousListAsBackup) {
    TempFolder folder;
    const QString path = folder.file(u"dirs.txt"_s);

    EXPECT_TRUE(ReplaceFolderList(path, "first"));
    EXPECT_EQ(folder.read(u"dirs.txt"_s), "first");
    EXPECT_FALSE(QFile::exists(path + u".bak"_s));

    folder.write(u"dirs.txt"_s, Utf16Le(u"//nas/video\tuser\tsecret\r\n"_s));
    folder.write(u"dirs.txt.bak"_s, "older backup");
    EXPECT_TRUE(ReplaceFolderList(path, "second"));
    EXPECT_EQ(folder.read(u"dirs.txt"_s), "second");
    EXPECT_EQ(folder.read(u"dirs.txt.bak"_s), Utf16Le(u"//nas/video\tuser\tsecret\r\n"_s));

    // The same list again leaves the backup holding the user's lines.
    EXPECT_TRUE(ReplaceFolderList(path, "second"));
    EXPECT_EQ(folder.read(u"dirs.txt.bak"_s), Utf16Le(u"//nas/video\tuser\tsecret\r\n"_s));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(FallbackFolderList, NoBackupNoReplacement) {
    TempFolder folder;
    folder.write(u"dirs.txt"_s, "user lines");
    folder.mkdir(u"dirs.txt.bak"_s); // the backup cannot be written
    EXPECT_FALSE(ReplaceFolderList(folder.file(u"dirs.txt"_s), "new"));
    EXPECT_EQ(folder.read(u"dirs.txt"_s), "user lines");
}

TEST(FallbackHeader, NamesNoFolderWhenReadBack) {
    TempFolder folder;
    const QString header = DecodeWideText(FolderListHeader);
    ASSERT_FALSE(header.isEmpty());
    EXPECT_TRUE(header.endsWith(u"\r\n"_s));
    MovieLibrary library;
    for (const QString& line : header.split(u'\n')) {
        EXPECT_FALSE(line.trimmed().startsWith(u'/')) << line.toStdString();
        EXPECT_FALSE(line.trimmed().startsWith(u'~')) << line.toStdString();
        EXPECT_FALSE(QFileInfo::exists(line.trimmed()) && !line.trimmed().isEmpty());
        ScanListedFolder(library, line);
    }
    EXPECT_TRUE(library.Movies.empty());
    for (const FolderSummary& summary : library.Folders)
        EXPECT_EQ(summary.VideoCount + summary.ImageCount + summary.SubfolderCount, 0);
}

// The old list names a folder that is missing now, a share that is not mounted and an empty folder:
// the first two stay in the new list after the folders found, the empty one does not, and the
// header's own lines are not taken twice. The wall says what happened.
TEST(FallbackStage, ScansTheBuiltInLinesAndRewritesTheListKeepingWhatIsAway) {
    TempFolder folder;
    folder.sparse(u"films/a.avi"_s, VideoSize);
    folder.sparse(u"films/old/b.mkv"_s, VideoSize);
    folder.sparse(u"films2/c.avi"_s, VideoSize);
    folder.mkdir(u"empty"_s);
    const QString share = u"//offline-server.invalid/video\tuser\tsecret"_s;
    const QString header = DecodeWideText(FolderListHeader);
    const QString oldList = header + u"/offline/disk/\r\n"_s + share + u"\r\n"_s + folder.file(u"empty"_s) + u"\n"_s;
    folder.write(u"dirs.txt"_s, Utf16Le(oldList));

    MovieLibrary library;
    QStringList statuses;
    QStringList opened;
    library.Host.ShowStatus = [&](const QString& text) { statuses << text; };
    library.Host.OpenFolderList = [&](const QString& path) { opened << path; };

    const QStringList lines = {folder.file(u"empty"_s), folder.file(u"films2"_s), folder.file(u"films"_s)};
    ScanFallbackFolders(library, lines);
    RewriteFolderList(library);

    EXPECT_EQ(library.Movies.size(), 3u);
    EXPECT_EQ(folder.read(u"dirs.txt"_s),
              FolderListBytes(header, {folder.file(u"films"_s), folder.file(u"films2"_s), u"/offline/disk/"_s, share}));
    EXPECT_EQ(folder.read(u"dirs.txt.bak"_s), Utf16Le(oldList));
    EXPECT_EQ(statuses, (QStringList{u"搜索目录中，请等待。。。"_s + lines[0], u"搜索目录中，请等待。。。"_s + lines[1],
                                     u"搜索目录中，请等待。。。"_s + lines[2], u"请修改目录文件DIRS.TXT"_s}));
    EXPECT_EQ(opened, QStringList{folder.file(u"dirs.txt"_s)});

    BuildWallPage(library);
    const QString wall = QString::fromUtf8(folder.read(u"menu.html"_s));
    EXPECT_TRUE(wall.contains(folder.file(u"dirs.txt"_s))) << "the wall names the list";
    EXPECT_TRUE(wall.contains(u"dirs.txt.bak"_s)) << "and where the old one is";
    EXPECT_TRUE(wall.contains(u"2 行"_s)) << "and how many lines wait for their folder";
}

TEST(FallbackStage, NothingFoundLeavesOnlyTheHeaderAndAFilledLibraryIsLeftAlone) {
    TempFolder folder;
    MovieLibrary library;
    ScanFallbackFolders(library, {folder.file(u"nothing-here"_s)});
    RewriteFolderList(library);
    EXPECT_EQ(folder.read(u"dirs.txt"_s), FolderListBytes(DecodeWideText(FolderListHeader), {}));

    QFile::remove(folder.file(u"dirs.txt"_s));
    library.Movies = InFolders({folder.path()});
    RunFallbackStage(library);
    EXPECT_FALSE(QFile::exists(folder.file(u"dirs.txt"_s)));
}

TEST(FallbackStage, AStopDuringTheScanWritesNothing) {
    TempFolder folder;
    folder.write(u"dirs.txt"_s, "user lines");
    MovieLibrary library;
    library.StopRequested = true;
    RunFallbackStage(library);
    EXPECT_EQ(folder.read(u"dirs.txt"_s), "user lines");
    EXPECT_FALSE(QFile::exists(folder.file(u"dirs.txt.bak"_s)));
}
