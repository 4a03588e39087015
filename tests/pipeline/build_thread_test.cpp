#include "pipeline/build_thread.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <QFileInfo>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

constexpr int64_t VideoSize = 30'000'001;
const QString Scanning = u"搜索目录中，请等待。。。"_s;
const QString Collating = u"整理数据，请等待。。。"_s;

// A host that records what the pipeline tells it.
struct RecordingHost {
    std::mutex mutex;
    QStringList statuses;
    int readyCalls = 0;

    void attach(MovieLibrary& library) {
        library.Host.ShowStatus = [this](const QString& text) {
            std::lock_guard lock(mutex);
            statuses << text;
        };
        library.Host.LibraryReady = [this] {
            std::lock_guard lock(mutex);
            ++readyCalls;
        };
    }
};

QStringList FileNames(const MovieLibrary& library) {
    QStringList names;
    for (const MovieRecord& record : library.Movies)
        names << record.FileName;
    return names;
}

} // namespace

TEST(ReadFolderList, KeepsTheMarkAndCarriageReturnsOnTheirLines) {
    TempFolder temp;
    temp.write(u"dirs.txt"_s, Utf16Le(u"/a\r\n\n/b\r\n/c"_s));
    EXPECT_EQ(ReadFolderList(), (QStringList{u"\uFEFF/a\r"_s, QString(), u"/b\r"_s, u"/c"_s}));
    temp.write(u"dirs.txt"_s, Utf16Le(u"/a"_s, false) + QByteArray(2, '\0') + Utf16Le(u"\n/b"_s, false));
    EXPECT_EQ(ReadFolderList(), QStringList{u"/a"_s});        // the text ends at a zero character
    temp.write(u"dirs.txt"_s, Utf16Le(u"/a"_s, false) + 'x'); // a half character is dropped
    EXPECT_EQ(ReadFolderList(), QStringList{u"/a"_s});
    temp.write(u"dirs.txt"_s, {});
    EXPECT_TRUE(ReadFolderList().isEmpty());
    QFile::remove(temp.file(u"dirs.txt"_s));
    EXPECT_TRUE(ReadFolderList().isEmpty());
}

TEST(ReadFolderList, ReadsOnlyTheFirst10240Bytes) {
    TempFolder temp;
    // BOM (2 bytes) + 5000 characters + LF leaves 118 characters of the second line inside the limit.
    const QString first = QString(5000, u'x');
    const QString second = QString(200, u'y');
    temp.write(u"dirs.txt"_s, Utf16Le(first + u'\n' + second + u"\n/z"_s));
    const QStringList lines = ReadFolderList();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], QString(118, u'y'));
}

TEST(ReadFolderList, Utf8AsLinuxEditorsSaveItAndUtf16WithoutMark) {
    TempFolder temp;
    const QString text = u"/电影\n/b c\r\n"_s;
    const QStringList lines = {u"/电影"_s, u"/b c\r"_s};
    temp.write(u"dirs.txt"_s, text.toUtf8());
    EXPECT_EQ(ReadFolderList(), lines);
    temp.write(u"dirs.txt"_s, "\xEF\xBB\xBF" + text.toUtf8());
    EXPECT_EQ(ReadFolderList(), lines);
    temp.write(u"dirs.txt"_s, Utf16Le(text, false));
    EXPECT_EQ(ReadFolderList(), lines);
    // The limit may cut a character of three bytes; the line keeps what was read whole.
    const QByteArray cut = QByteArray(10238, 'x') + "\xE7\x94\xB5";
    temp.write(u"dirs.txt"_s, cut);
    EXPECT_EQ(ReadFolderList(), QStringList{QString(10238, u'x')});
}

TEST(ScanListedFolders, CrLfAndMarkScanTheSameFoldersAsPlainLines) {
    TempFolder temp;
    temp.sparse(u"one/a.avi"_s, VideoSize);
    temp.sparse(u"two/b.mkv"_s, VideoSize);
    const QString one = temp.file(u"one"_s), two = temp.file(u"two"_s);
    const QString variants[] = {one + u'\n' + two, one + u"\r\n"_s + two + u"\r\n"_s,
                                u"\t"_s + one + u"/\t\r\n  "_s + two + u" \r\n\r\n"_s};
    for (const QString& text : variants) {
        for (const bool bom : {false, true}) {
            temp.write(u"dirs.txt"_s, Utf16Le(text, bom));
            MovieLibrary library;
            RecordingHost host;
            host.attach(library);
            ScanListedFolders(library);
            EXPECT_EQ(FileNames(library), (QStringList{u"a.avi"_s, u"b.mkv"_s})) << text.toStdString();
            ASSERT_EQ(library.Movies.size(), 2u);
            EXPECT_EQ(library.Movies[0].Folder, one);
            EXPECT_EQ(library.Movies[1].Folder, two);
            // The status shows each line exactly as split, mark and carriage return included.
            QStringList expected{Scanning};
            for (const QString& line : ReadFolderList())
                expected << Scanning + line;
            EXPECT_EQ(host.statuses, expected);
            EXPECT_TRUE(host.statuses[1].endsWith(text.section(u'\n', 0, 0)));
        }
    }
}

TEST(ScanListedFolders, ALineCutAtTheLimitIsScannedAsCut) {
    TempFolder temp;
    const QString longName = temp.file(u"films"_s) + QString(40, u'x');
    temp.sparse(u"films/a.avi"_s, VideoSize);
    temp.sparse(u"films"_s + QString(40, u'x') + u"/b.avi"_s, VideoSize);
    // Pad the first line so that the limit falls right after ".../films" on the second.
    const QString padding = u"/nonexistent"_s + QString(5120 - 1 - 12 - 1 - temp.file(u"films"_s).size(), u'p');
    temp.write(u"dirs.txt"_s, Utf16Le(padding + u'\n' + longName + u'\n'));
    MovieLibrary library;
    ScanListedFolders(library);
    EXPECT_EQ(FileNames(library), QStringList{u"a.avi"_s});
}

TEST(CollateFolders, CopiesEachFoldersCountsIntoItsRecords) {
    TempFolder temp;
    temp.sparse(u"m/a.avi"_s, VideoSize);
    temp.sparse(u"m/b.avi"_s, VideoSize);
    temp.write(u"m/cover.jpg"_s, "x");
    temp.mkdir(u"m/empty"_s);
    temp.sparse(u"m/sub/c.avi"_s, VideoSize);
    temp.write(u"dirs.txt"_s, Utf16Le(temp.file(u"m"_s)));
    MovieLibrary library;
    RecordingHost host;
    host.attach(library);
    ScanListedFolders(library);
    CollateFolders(library);
    EXPECT_TRUE(library.Folders.empty());
    EXPECT_EQ(host.statuses.last(), Collating);
    ASSERT_EQ(library.Movies.size(), 3u);
    for (const MovieRecord& record : library.Movies) {
        if (record.FileName == u"c.avi") {
            EXPECT_EQ(record.FolderVideoCount, 1);
            EXPECT_EQ(record.FolderImageCount, 0);
            EXPECT_EQ(record.FolderSubfolderCount, 0);
            EXPECT_EQ(record.FolderImage, QString());
        } else {
            EXPECT_EQ(record.FolderVideoCount, 2);
            EXPECT_EQ(record.FolderImageCount, 1);
            EXPECT_EQ(record.FolderSubfolderCount, 2);
            EXPECT_EQ(record.FolderImage, temp.file(u"m/cover.jpg"_s));
        }
    }
}

TEST(CollateFolders, TheFirstSummaryOfAPathWinsAndUnmatchedRecordsKeepTheirValues) {
    MovieLibrary library;
    RecordingHost host;
    host.attach(library);
    CollateFolders(library);
    EXPECT_TRUE(host.statuses.isEmpty()); // nothing to collate: no text

    library.Folders = {{1, 0, 0, u"/m"_s, {}}, {5, 5, 5, u"/m"_s, u"/m/x.jpg"_s}, {2, 0, 0, u"/M"_s, {}}};
    MovieRecord inM;
    inM.Folder = u"/m"_s;
    MovieRecord elsewhere;
    elsewhere.Folder = u"/m/"_s; // matching is exact
    library.Movies = {inM, elsewhere};
    CollateFolders(library);
    EXPECT_EQ(library.Movies[0].FolderVideoCount, 1);
    EXPECT_EQ(library.Movies[0].FolderImage, QString());
    EXPECT_EQ(library.Movies[1].FolderVideoCount, 0);
    EXPECT_EQ(host.statuses, QStringList{Collating});
}

TEST(BuildLibrary, ListedTwiceGivesEachVideoTwice) {
    TempFolder temp;
    temp.sparse(u"m/a.avi"_s, VideoSize);
    temp.write(u"dirs.txt"_s, Utf16Le(temp.file(u"m"_s) + u'\n' + temp.file(u"m"_s) + u'/'));
    MovieLibrary library;
    RecordingHost host;
    host.attach(library);
    BuildLibrary(library);
    EXPECT_EQ(FileNames(library), (QStringList{u"a.avi"_s, u"a.avi"_s}));
    EXPECT_EQ(library.Movies[1].FolderVideoCount, 1);
    EXPECT_EQ(host.readyCalls, 1);
    EXPECT_EQ(host.statuses.first(), Scanning);
    EXPECT_EQ(host.statuses.last(), Collating);
}

TEST(BuildLibraryThread, AStopRequestedDuringTheScanIsKept) {
    TempFolder temp;
    temp.sparse(u"m/a.avi"_s, VideoSize);
    temp.write(u"dirs.txt"_s, Utf16Le(temp.file(u"m"_s)));
    auto library = std::make_shared<MovieLibrary>();
    // The window closes while the first folder is being scanned.
    library->Host.ShowStatus = [&library](const QString&) { RequestStop(*library); };
    auto done = std::async(std::launch::async, [library] { return BuildLibraryThread(library); });
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "the thread forgot the stop and kept waiting";
        RequestStop(*library);
    }
    EXPECT_EQ(done.get(), 1);
    EXPECT_TRUE(library->StopRequested);
    // The scan ends at the stop, and nothing is written for the partial library.
    EXPECT_TRUE(library->Movies.empty());
    EXPECT_FALSE(QFileInfo::exists(temp.file(u"menu.html"_s)));
    EXPECT_EQ(temp.read(u"dirs.txt"_s), Utf16Le(temp.file(u"m"_s)));
}

TEST(BuildLibraryThread, WaitsUntilAStopIsRequested) {
    TempFolder temp;
    temp.sparse(u"m/a.avi"_s, VideoSize);
    temp.write(u"dirs.txt"_s, Utf16Le(temp.file(u"m"_s)));
    auto library = std::make_shared<MovieLibrary>();
    std::promise<void> ready;
    library->Host.LibraryReady = [&ready] { ready.set_value(); };
    auto done = std::async(std::launch::async, [library] { return BuildLibraryThread(library); });
    ASSERT_EQ(ready.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(done.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    RequestStop(*library);
    ASSERT_EQ(done.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(done.get(), 1);
}

TEST(LineForStatus, NeverShowsAPassword) {
    EXPECT_EQ(LineForStatus(u"\uFEFF//nas/video\tbob\ts3cret\r"_s), u"\uFEFF//nas/video\tbob"_s);
    EXPECT_EQ(LineForStatus(u" \\\\nas\\video\tbob"_s), u" \\\\nas\\video\tbob"_s);
    EXPECT_EQ(LineForStatus(u"\\\\nas\\video\r"_s), u"\\\\nas\\video\r"_s);
    // Only network lines carry credentials; any other line is shown exactly as read.
    EXPECT_EQ(LineForStatus(u"/films\ta\tb\r"_s), u"/films\ta\tb\r"_s);
}
