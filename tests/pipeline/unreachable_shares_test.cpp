// Listed folders that are gone, unreadable, slow, looping or huge: the headless run still finishes, every
// metadata file keeps its bytes, and "dirs.txt" stays as the user wrote it (only stage 2 may replace
// it, and then the user's bytes are kept in "dirs.txt.bak").

#include "library/folder_scan.h"
#include "library/movie_xml.h"
#include "pages/builtin_texts.h"
#include "pages/text_codec.h"
#include "pipeline/fallback.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <chrono>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int64_t VideoSize = MinimumVideoBytes + 1;
constexpr uid_t NobodyId = 65534;

struct HeadlessRun {
    bool Started = false;
    int ExitCode = -1;
    qint64 Ms = 0;
};

// `reelboard --headless` in the folder, every web request sent to a closed local port. With `asNobody`
// the run gives up root first, so that file permissions hold for it.
HeadlessRun RunHeadless(const TempFolder& temp, bool asNobody = false, const QProcessEnvironment& extra = {}) {
    QProcess reelboard;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    env.insert(u"HOME"_s, temp.path());
    env.insert(u"http_proxy"_s, u"http://127.0.0.1:9"_s);
    env.insert(u"https_proxy"_s, u"http://127.0.0.1:9"_s);
    env.remove(u"no_proxy"_s);
    env.remove(u"XDG_RUNTIME_DIR"_s);
    reelboard.setProcessEnvironment(env);
    reelboard.setWorkingDirectory(temp.path());
    reelboard.setStandardOutputFile(QProcess::nullDevice());
    reelboard.setStandardErrorFile(QProcess::nullDevice());
    QString binary = QString::fromUtf8(REELBOARD_BINARY);
    if (asNobody) {
        // A copy nobody may run wherever the build lies.
        const QString copy = temp.file(u"bin/reelboard"_s);
        QDir().mkpath(temp.file(u"bin"_s));
        QFile::copy(binary, copy);
        chmod(QFile::encodeName(copy).constData(), 0755);
        binary = copy;
        reelboard.setChildProcessModifier([] {
            if (setgroups(0, nullptr) != 0 || setgid(NobodyId) != 0 || setuid(NobodyId) != 0)
                _exit(99);
        });
    }
    QElapsedTimer clock;
    clock.start();
    reelboard.start(binary, {u"--headless"_s});
    HeadlessRun run;
    run.Started = reelboard.waitForStarted();
    if (run.Started && reelboard.waitForFinished(120000) && reelboard.exitStatus() == QProcess::NormalExit)
        run.ExitCode = reelboard.exitCode();
    run.Ms = clock.elapsed();
    return run;
}

// Every metadata file below `folder`, with its bytes.
QMap<QString, QByteArray> MetadataFiles(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, {u"*.xml"_s}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(file.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable"));
    }
    return files;
}

QByteArray MetadataFor(const QString& title) {
    MovieRecord record;
    record.Title = title;
    record.Overview = title + u" overview"_s; // already looked up: no web needed
    record.Notes = u"the user's own notes"_s;
    return MovieXmlBytes(record);
}

// Two listed folders of looked-up movies, one movie never looked up, and a share that is not mounted.
QByteArray WriteLibrary(const TempFolder& temp) {
    temp.sparse(u"films/a/Heat.1995.avi"_s, VideoSize);
    temp.write(u"films/a/Heat.1995.avi.xml"_s, MetadataFor(u"Heat"_s));
    temp.sparse(u"films/a/Unknown.2001.mkv"_s, VideoSize);
    temp.sparse(u"films/b/Ran.1985.mkv"_s, VideoSize);
    temp.write(u"films/b/Ran.1985.mkv.xml"_s, MetadataFor(u"Ran"_s));
    const QByteArray list =
        Utf16Le(temp.file(u"films/a"_s) + u"\r\n"_s + temp.file(u"films/b/"_s) + u"\r\n//nas/offline/films\r\n"_s);
    temp.write(u"dirs.txt"_s, list);
    return list;
}

// Metadata files of `before` that the run changed or removed; a file it added is no loss.
QStringList Changed(const QMap<QString, QByteArray>& before, const QMap<QString, QByteArray>& after) {
    QStringList changed;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (after.value(it.key()) != it.value())
            changed << it.key();
    return changed;
}

} // namespace

TEST(UnreachableShares, AFolderThatVanishesBetweenRunsCostsNothing) {
    TempFolder temp;
    const QByteArray list = WriteLibrary(temp);
    ASSERT_EQ(RunHeadless(temp).ExitCode, 0);
    const QMap<QString, QByteArray> first = MetadataFiles(temp.file(u"films"_s));
    EXPECT_TRUE(first.contains(temp.file(u"films/a/Unknown.2001.mkv.xml"_s))) << "the failed lookup is recorded";

    // One listed folder goes offline: the other is scanned, nothing is rewritten but the pages.
    ASSERT_TRUE(QDir().rename(temp.file(u"films/b"_s), temp.file(u"offline-b"_s)));
    ASSERT_EQ(RunHeadless(temp).ExitCode, 0);
    EXPECT_EQ(temp.read(u"dirs.txt"_s), list);
    EXPECT_FALSE(QFile::exists(temp.file(u"dirs.txt.bak"_s)));
    EXPECT_EQ(temp.read(u"offline-b/Ran.1985.mkv.xml"_s), MetadataFor(u"Ran"_s));
    QMap<QString, QByteArray> second = MetadataFiles(temp.file(u"films"_s));
    EXPECT_EQ(Changed(first, second), QStringList{temp.file(u"films/b/Ran.1985.mkv.xml"_s)});
    EXPECT_TRUE(temp.read(u"menu.html"_s).contains("Heat"));

    // Every listed folder offline: stage 2 replaces the list, and the user's bytes are the backup,
    // also after a second such start. The exit status tells a script that nothing listed was read.
    ASSERT_TRUE(QDir().rename(temp.file(u"films/a"_s), temp.file(u"offline-a"_s)));
    for (int start = 0; start < 2; ++start) {
        ASSERT_EQ(RunHeadless(temp).ExitCode, 1);
        EXPECT_EQ(temp.read(u"dirs.txt.bak"_s), list) << "start " << start;
        EXPECT_TRUE(temp.read(u"dirs.txt"_s).startsWith(FolderListBytes(DecodeWideText(FolderListHeader), {})));
    }
    EXPECT_EQ(temp.read(u"offline-a/Heat.1995.avi.xml"_s), MetadataFor(u"Heat"_s));
    EXPECT_EQ(temp.read(u"offline-b/Ran.1985.mkv.xml"_s), MetadataFor(u"Ran"_s));
}

TEST(UnreachableShares, UnreadableFoldersAndFilesAreSkippedNotOverwritten) {
    TempFolder temp;
    const QByteArray list = WriteLibrary(temp);
    temp.sparse(u"films/a/locked/Alien.1979.avi"_s, VideoSize);
    temp.write(u"films/a/locked/Alien.1979.avi.xml"_s, MetadataFor(u"Alien"_s));
    // A metadata file the user cannot read: its movie looks unlooked-up, and the failed lookup must
    // not replace the file.
    temp.sparse(u"films/b/Brazil.1985.avi"_s, VideoSize);
    temp.write(u"films/b/Brazil.1985.avi.xml"_s, MetadataFor(u"Brazil"_s));
    // Root reads everything: as root the run gives up root, and the folder must be open to it.
    const bool root = geteuid() == 0;
    if (root) {
        QDirIterator it(temp.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        chmod(QFile::encodeName(temp.path()).constData(), 0777);
        while (it.hasNext()) {
            const QString path = it.next();
            chmod(QFile::encodeName(path).constData(), QFileInfo(path).isDir() ? 0777 : 0666);
        }
    }
    chmod(QFile::encodeName(temp.file(u"films/b/Brazil.1985.avi.xml"_s)).constData(), 0);
    chmod(QFile::encodeName(temp.file(u"films/a/locked"_s)).constData(), 0);
    const QMap<QString, QByteArray> before = MetadataFiles(temp.file(u"films"_s));

    const HeadlessRun run = RunHeadless(temp, root);
    chmod(QFile::encodeName(temp.file(u"films/a/locked"_s)).constData(), 0755);
    chmod(QFile::encodeName(temp.file(u"films/b/Brazil.1985.avi.xml"_s)).constData(), 0644);
    if (root && (!run.Started || run.ExitCode == 99 || run.ExitCode == 127))
        GTEST_SKIP() << "could not run as an unprivileged user here";
    ASSERT_EQ(run.ExitCode, 0);
    // The run really was unprivileged: the metadata file of its failed lookup is nobody's.
    if (root) {
        EXPECT_EQ(QFileInfo(temp.file(u"films/a/Unknown.2001.mkv.xml"_s)).ownerId(), NobodyId);
    }
    EXPECT_EQ(Changed(before, MetadataFiles(temp.file(u"films"_s))), QStringList());
    EXPECT_EQ(temp.read(u"dirs.txt"_s), list);
    const QByteArray wall = temp.read(u"menu.html"_s);
    EXPECT_TRUE(wall.contains("Heat") && wall.contains("Ran"));
    EXPECT_FALSE(wall.contains("Alien"));
}

TEST(UnreachableShares, ASlowShareIsWaitedForNotTakenForOffline) {
    TempFolder temp;
    constexpr int Folders = 8;
    constexpr int DelayMs = 150;
    for (int i = 0; i < Folders; ++i) {
        temp.sparse(u"share/f%1/Film%1.avi"_s.arg(i), VideoSize);
        temp.write(u"share/f%1/Film%1.avi.xml"_s.arg(i), MetadataFor(u"Film%1"_s.arg(i)));
    }
    temp.sparse(u"local/Heat.1995.avi"_s, VideoSize);
    temp.write(u"local/Heat.1995.avi.xml"_s, MetadataFor(u"Heat"_s));
    // A share whose mount answers slowly and then fails: its password must stay in the list.
    temp.write(u"fake/gio"_s, "#!/bin/sh\ncat >/dev/null\nsleep 1\nexit 2\n");
    chmod(QFile::encodeName(temp.file(u"fake/gio"_s)).constData(), 0755);
    const QByteArray list =
        Utf16Le(temp.file(u"share"_s) + u"\r\n//nas/slow\tuser\tsecret\r\n"_s + temp.file(u"local"_s) + u"\r\n"_s);
    temp.write(u"dirs.txt"_s, list);
    const QMap<QString, QByteArray> before = MetadataFiles(temp.path());

    QProcessEnvironment slow;
    slow.insert(u"LD_PRELOAD"_s, QString::fromUtf8(SLOW_SHARE_LIBRARY));
    slow.insert(u"SLOW_SHARE_PATH"_s, temp.file(u"share"_s));
    slow.insert(u"SLOW_SHARE_MS"_s, QString::number(DelayMs));
    slow.insert(u"PATH"_s, temp.file(u"fake"_s) + u':' + qEnvironmentVariable("PATH"));
    // Sanitizer builds want their runtime first; the preloaded library does not need it.
    slow.insert(u"ASAN_OPTIONS"_s, u"verify_asan_link_order=0"_s);
    const HeadlessRun run = RunHeadless(temp, false, slow);
    ASSERT_EQ(run.ExitCode, 0);
    // The share and each of its folders were slow to open, and the mount took its second.
    EXPECT_GE(run.Ms, (Folders + 1) * DelayMs + 1000);
    EXPECT_EQ(temp.read(u"dirs.txt"_s), list);
    EXPECT_FALSE(QFile::exists(temp.file(u"dirs.txt.bak"_s)));
    EXPECT_EQ(Changed(before, MetadataFiles(temp.path())), QStringList());
    const QByteArray wall = temp.read(u"menu.html"_s);
    for (int i = 0; i < Folders; ++i)
        EXPECT_TRUE(wall.contains(QByteArray("Film").append(QByteArray::number(i)))) << i;
    EXPECT_TRUE(wall.contains("Heat"));
}

TEST(UnreachableShares, AStopEndsASlowShareMountAtOnce) {
    TempFolder temp;
    // A mount that would take half a minute; the fake records the pid it runs as.
    temp.write(u"fake/gio"_s, "#!/bin/sh\ncat >/dev/null\necho $$ > \"$(dirname \"$0\")/pid\"\nexec sleep 30\n");
    chmod(QFile::encodeName(temp.file(u"fake/gio"_s)).constData(), 0755);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(temp.file(u"fake"_s)) + ':' + path);

    MovieLibrary library;
    // The window closes once the mount is under way.
    std::thread closer([&library, &temp] {
        for (int i = 0; i < 1000 && !QFile::exists(temp.file(u"fake/pid"_s)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        RequestStop(library);
    });
    QElapsedTimer clock;
    clock.start();
    ScanListedFolder(library, u"//nas/slow\tuser\tsecret"_s);
    const qint64 ms = clock.elapsed();
    closer.join();
    qputenv("PATH", path);
    // Well under the mount's 30 s: the window closing must not wait for it (generous for loaded CI).
    EXPECT_LT(ms, 5000);
    const pid_t gio = temp.read(u"fake/pid"_s).trimmed().toInt();
    ASSERT_GT(gio, 0);
    EXPECT_NE(kill(gio, 0), 0) << "the mount was left running";
    ASSERT_EQ(library.Folders.size(), 1u);
    EXPECT_EQ(library.Folders[0].Path, u"//nas/slow"_s);
}

TEST(UnreachableShares, SymbolicLinkLoopsAreNotFollowedRound) {
    TempFolder temp;
    temp.sparse(u"films/Heat.1995.avi"_s, VideoSize);
    temp.sparse(u"films/a/Ran.1985.mkv"_s, VideoSize);
    // A link to its own folder, a link from inside a folder back to it, and two folders linking to
    // each other.
    ASSERT_EQ(symlink(".", QFile::encodeName(temp.file(u"films/self"_s)).constData()), 0);
    ASSERT_EQ(symlink("../a", QFile::encodeName(temp.file(u"films/a/b"_s)).constData()), 0);
    ASSERT_EQ(symlink("..", QFile::encodeName(temp.file(u"films/a/up"_s)).constData()), 0);
    temp.mkdir(u"films/x"_s);
    temp.mkdir(u"films/y"_s);
    ASSERT_EQ(symlink("../y", QFile::encodeName(temp.file(u"films/x/to-y"_s)).constData()), 0);
    ASSERT_EQ(symlink("../x", QFile::encodeName(temp.file(u"films/y/to-x"_s)).constData()), 0);

    MovieLibrary library;
    ScanFolder(library, temp.file(u"films"_s));
    QStringList found;
    for (const MovieRecord& record : library.Movies)
        found << record.FilePath.mid(temp.path().size() + 1);
    found.sort();
    // Every link leads back to a folder on the current path, so each video is found once.
    EXPECT_EQ(found, (QStringList{u"films/Heat.1995.avi"_s, u"films/a/Ran.1985.mkv"_s}));

    temp.write(u"dirs.txt"_s, Utf16Le(temp.file(u"films"_s) + u"\r\n"_s));
    const HeadlessRun run = RunHeadless(temp);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(temp.read(u"dirs.txt"_s), Utf16Le(temp.file(u"films"_s) + u"\r\n"_s));
}

TEST(UnreachableShares, LinksThatMultiplyPathsScanEachFolderOnce) {
    TempFolder temp;
    // Each level links twice to the next: 2^Levels paths lead to the last folder's video.
    constexpr int Levels = 18;
    for (int level = 0; level < Levels; ++level) {
        temp.mkdir(u"l%1"_s.arg(level));
        for (const char* name : {"p", "q"})
            ASSERT_EQ(
                symlink(QFile::encodeName(u"../l%1"_s.arg(level + 1)).constData(),
                        QFile::encodeName(temp.file(u"l%1/%2"_s.arg(level).arg(QLatin1StringView(name)))).constData()),
                0);
    }
    temp.sparse(u"l%1/Heat.1995.avi"_s.arg(Levels), VideoSize);

    MovieLibrary library;
    ScanFolder(library, temp.file(u"l0"_s));
    ASSERT_EQ(library.Movies.size(), 1u);
    EXPECT_TRUE(library.Movies[0].FilePath.endsWith(u"/p/Heat.1995.avi"_s) ||
                library.Movies[0].FilePath.endsWith(u"/q/Heat.1995.avi"_s));
    EXPECT_EQ(library.Folders.size(), size_t(Levels + 1));
}

TEST(UnreachableShares, AFolderOfAHundredThousandEntries) {
    TempFolder temp;
    temp.mkdir(u"huge"_s);
    const QByteArray folder = QFile::encodeName(temp.file(u"huge"_s));
    const int dirFd = open(folder.constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dirFd, 0);
    // Empty files: small "videos" to size, pictures, metadata files with no video, and plain files.
    // Hard links to four files, which is many times faster to make than as many new files.
    const char* const kinds[] = {"clip%06d.avi", "cover%06d.jpg", "orphan%06d.avi.xml", "note%06d.txt"};
    QElapsedTimer clock;
    clock.start();
    constexpr int Entries = 100000;
    for (int i = 0; i < Entries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, kinds[i % 4], i);
        if (i < 4) {
            const int fd = openat(dirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            ASSERT_GE(fd, 0) << name;
            close(fd);
            continue;
        }
        char first[32];
        std::snprintf(first, sizeof first, kinds[i % 4], i % 4);
        ASSERT_EQ(linkat(dirFd, first, dirFd, name, 0), 0) << name;
    }
    close(dirFd);
    const qint64 createMs = clock.elapsed();
    temp.sparse(u"huge/Heat.1995.avi"_s, VideoSize);
    temp.write(u"huge/Heat.1995.avi.xml"_s, MetadataFor(u"Heat"_s));
    const QByteArray list = Utf16Le(temp.file(u"huge"_s) + u"\r\n"_s);
    temp.write(u"dirs.txt"_s, list);

    const HeadlessRun run = RunHeadless(temp);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(temp.read(u"dirs.txt"_s), list);
    EXPECT_EQ(temp.read(u"huge/Heat.1995.avi.xml"_s), MetadataFor(u"Heat"_s));
    EXPECT_EQ(QFileInfo(temp.file(u"huge/orphan000002.avi.xml"_s)).size(), 0);
    EXPECT_TRUE(temp.read(u"menu.html"_s).contains("Heat"));
    std::printf("[ entries  ] %d entries made in %lld ms, headless run %lld ms\n", Entries,
                static_cast<long long>(createMs), static_cast<long long>(run.Ms));
}
