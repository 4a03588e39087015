// One library written by several Reelboards and kept on read-only shares: two real processes over
// one folder, a process killed while its edits race its lookups, and a read-only share's information
// kept on this computer across starts.
#include "library/folder_scan.h"
#include "library/local_store.h"
#include "library/movie_xml.h"
#include "pipeline/build_thread.h"
#include "tests/support/http_server.h"
#include "tests/support/movie_web.h"
#include "tests/support/poster_images.h"
#include "tests/support/read_only_folder.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int MovieCount = 3;

// The library as a fresh start of Reelboard scans it.
std::unique_ptr<MovieLibrary> Scan(const QString& folder) {
    auto library = std::make_unique<MovieLibrary>();
    ScanFolder(*library, folder);
    CollateFolders(*library);
    return library;
}

void MakeFilms(const TempFolder& temp) {
    for (int i = 0; i < MovieCount; ++i)
        temp.sparse(u"films/Film.%1.mkv"_s.arg(i), MinimumVideoBytes + 1);
}

void ServeFilms(TestHttpServer& server, const QString& folder, const QString& overview) {
    const auto library = Scan(folder);
    for (const MovieRecord& movie : library->Movies)
        ServeLookup(server, movie, {overview, {}});
}

// Kill rounds: a few in the suite; REELBOARD_EDIT_KILL_ROUNDS asks for the long run (bench/kill_writes.sh).
int KillRounds() {
    bool ok = false;
    const int rounds = qEnvironmentVariableIntValue("REELBOARD_EDIT_KILL_ROUNDS", &ok);
    return ok && rounds > 0 ? rounds : 40;
}

// The peer in `work` with fork and exec; its standard output comes back through `output`. Returns
// once it has scanned (its first line), or -1.
pid_t StartPeer(const QString& work, const QString& films, int& output) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -1;
    const QByteArray binary(LIBRARY_PEER_BINARY);
    const QByteArray where = QFile::encodeName(work);
    const QByteArray library = QFile::encodeName(films);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (chdir(where.constData()) != 0)
            _exit(126);
        execl(binary.constData(), binary.constData(), library.constData(), "Notes", "edit",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    output = pipeFds[0];
    char ready[6] = {};
    if (pid < 0 || read(output, ready, sizeof ready) != sizeof ready) {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(output);
        return -1;
    }
    return pid;
}

QByteArray ReadAll(int fd) {
    QByteArray all;
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
        all.append(buffer, got);
    return all;
}

int EditNumber(const QString& notes) {
    return notes.startsWith(u"edit "_s) ? notes.mid(5).toInt() : 0;
}

} // namespace

TEST(SharedLibrary, TwoProcessesOverOneFolderKeepEveryEdit) {
    TempFolder temp;
    MakeFilms(temp);
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    const QString films = temp.file(u"films"_s);
    ServeFilms(server, films, u"剧情简介：两台电脑"_s);

    // Two computers, each with its own working folder, started together; one edits the notes, the
    // other the watched mark, while both look every movie up.
    QProcess peers[2];
    const char* fields[2] = {"Notes", "watched"};
    const char* tags[2] = {"A", "B"};
    for (int i = 0; i < 2; ++i) {
        temp.mkdir(u"work%1"_s.arg(i));
        peers[i].setWorkingDirectory(temp.file(u"work%1"_s.arg(i)));
        peers[i].setStandardOutputFile(QProcess::nullDevice());
        peers[i].start(QString::fromUtf8(LIBRARY_PEER_BINARY),
                       {films, QString::fromLatin1(fields[i]), QString::fromLatin1(tags[i]), u"once"_s});
    }
    for (QProcess& peer : peers) {
        ASSERT_TRUE(peer.waitForFinished(120000));
        EXPECT_EQ(peer.exitCode(), 0);
    }

    // Every file is whole and holds both computers' edits and the lookups' findings; the next start
    // shows them.
    const auto library = Scan(films);
    ASSERT_EQ(library->Movies.size(), size_t(MovieCount));
    for (size_t i = 0; i < library->Movies.size(); ++i) {
        const MovieRecord& movie = library->Movies[i];
        EXPECT_EQ(movie.Notes, u"A %1"_s.arg(i + 1)) << movie.FileName.toStdString();
        EXPECT_EQ(movie.watched, u"B %1"_s.arg(i + 1)) << movie.FileName.toStdString();
        EXPECT_TRUE(movie.Overview.contains(u"两台电脑"_s)) << movie.Overview.toStdString();
        EXPECT_TRUE(temp.read(u"films/"_s + movie.FileName + u".xml"_s).endsWith(Utf16Le(u"</Collection>\n"_s, false)));
    }
}

TEST(SharedLibrary, NoSavedEditIsLostWhenKilledWhileLookupsRace) {
    TempFolder temp;
    MakeFilms(temp);
    temp.mkdir(u"work"_s);
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    const QString films = temp.file(u"films"_s);
    std::mt19937 random(std::random_device{}());
    // Up to a few lookups and many edits of the peer, so kills land anywhere in the two.
    std::uniform_int_distribution<int> delayUs(0, 150000);
    int saved[MovieCount] = {};
    int lost = 0;
    const int rounds = KillRounds();
    for (int round = 0; round < rounds; ++round) {
        // A new finding each round, so the lookups write.
        ServeFilms(server, films, u"剧情简介：第%1轮"_s.arg(round));
        int output = -1;
        const pid_t peer = StartPeer(temp.file(u"work"_s), films, output);
        ASSERT_GT(peer, 0) << "the peer did not start";
        usleep(static_cast<useconds_t>(delayUs(random)));
        ASSERT_EQ(kill(peer, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(peer, &status, 0), peer);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the peer ended on its own, status " << status;
        // The edits the peer had saved before the kill.
        for (const QByteArray& line : ReadAll(output).split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2 && parts[0].toInt() < MovieCount)
                saved[parts[0].toInt()] = std::max(saved[parts[0].toInt()], parts[1].toInt());
        }
        close(output);
        const auto library = Scan(films);
        for (size_t i = 0; i < library->Movies.size(); ++i)
            if (EditNumber(library->Movies[i].Notes) < saved[i]) {
                ++lost;
                ADD_FAILURE() << library->Movies[i].FileName.toStdString() << " lost edit " << saved[i] << " in round "
                              << round << ": " << library->Movies[i].Notes.toStdString();
            }
    }
    std::printf("[ kills    ] %d kills, %d edits saved, %d lost\n", rounds, saved[0] + saved[1] + saved[2], lost);
}

namespace {

// `reelboard --headless` in `work`, the web being the test server (the proxy variables are inherited).
int RunHeadless(const QString& work) {
    QProcess reelboard;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, work);
    reelboard.setProcessEnvironment(env);
    reelboard.setWorkingDirectory(work);
    reelboard.setStandardOutputFile(QProcess::nullDevice());
    reelboard.setStandardErrorFile(QProcess::nullDevice());
    reelboard.start(QString::fromUtf8(REELBOARD_BINARY), {u"--headless"_s});
    if (!reelboard.waitForFinished(120000) || reelboard.exitStatus() != QProcess::NormalExit)
        return -1;
    return reelboard.exitCode();
}

// Requests for anything but the update notice, which every start asks for.
qsizetype LookupRequests(const TestHttpServer& server) {
    qsizetype count = 0;
    for (const TestHttpServer::Request& request : server.Requests())
        count += request.Host == "update.reelboard.invalid" ? 0 : 1;
    return count;
}

} // namespace

TEST(ReadOnlyLibrary, KeptOnThisComputerSoTheNextStartAsksTheWebNothing) {
    TempFolder temp;
    MakeFilms(temp);
    temp.sparse(u"more/Other.mkv"_s, MinimumVideoBytes + 1);
    ReadOnlyFolder films(temp.file(u"films"_s), temp.file(u"share"_s));
    ReadOnlyFolder more(temp.file(u"more"_s), temp.file(u"share2"_s));
    if (!films.Ready() || !more.Ready())
        GTEST_SKIP() << films.Reason().toStdString();
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    int picture = 0;
    for (const QString& folder : {films.Path(), more.Path()}) {
        const auto library = Scan(folder);
        for (const MovieRecord& movie : library->Movies) {
            const QString address = u"http://img.test/%1.jpg"_s.arg(++picture);
            server.Serve(address, NoisyJpeg(300, 400, picture), "image/jpeg");
            ServeLookup(server, movie, {u"剧情简介：只读"_s, {address}});
        }
    }
    temp.write(u"dirs.txt"_s, Utf16Le(films.Path() + u"\r\n"_s + more.Path() + u"\r\n"_s));

    // First start: everything is looked up and kept in the store, nothing beside the videos.
    ASSERT_EQ(RunHeadless(temp.path()), 0);
    EXPECT_FALSE(QFile::exists(films.Path() + u"/Film.0.mkv.xml"_s));
    EXPECT_EQ(LocalStoreEntries().size(), MovieCount + 1);
    const qsizetype firstRequests = LookupRequests(server);
    EXPECT_GT(firstRequests, 0);

    // Second start: no request, and the wall shows what was found, with pictures from the store.
    ASSERT_EQ(RunHeadless(temp.path()), 0);
    EXPECT_EQ(LookupRequests(server), firstRequests);
    QString wall = QString::fromUtf8(temp.read(u"menu.html"_s));
    EXPECT_TRUE(wall.contains(u"%1 部视频所在的文件夹不能写入"_s.arg(MovieCount + 1))) << wall.left(3000).toStdString();
    EXPECT_EQ(wall.count(LocalStoreRoot() + u'/'), MovieCount + 1);
    EXPECT_EQ(wall.count(u"[2009]"_s), MovieCount + 1);

    // A listed share that is away: named in the wall's head, and its movie's kept information stays.
    more.Remove();
    ASSERT_EQ(RunHeadless(temp.path()), 0);
    wall = QString::fromUtf8(temp.read(u"menu.html"_s));
    EXPECT_TRUE(wall.contains(u"无法读取的目录"_s) && wall.contains(more.Path())) << wall.left(3000).toStdString();
    EXPECT_EQ(LocalStoreEntries().size(), MovieCount + 1);
    EXPECT_EQ(LookupRequests(server), firstRequests);
}
