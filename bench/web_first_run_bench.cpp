// The first run of the batch pipeline over COUNT new movies (one sparse video per folder, no
// metadata), stages 5 to 7 and the last wall, timed in this process against the local test web:
//   web_first_run_bench found COUNT        every lookup finds a page with one poster
//   web_first_run_bench nothing COUNT      the web answers every request with 404
//   web_first_run_bench unreachable COUNT  the proxy points at a closed local port
// Prints the time of the lookups (stage 5), of the whole run, the time of one wall page at COUNT
// movies, and how often the lookups rewrote the wall.
#include "library/movie_library.h"
#include "pages/wall_page.h"
#include "pipeline/build_thread.h"
#include "pipeline/stages.h"
#include "pipeline/thread_control.h"
#include "tests/support/http_server.h"
#include "tests/support/movie_web.h"
#include "tests/support/poster_images.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

bool MakeCollection(const QString& root, int count) {
    for (int i = 0; i < count; ++i) {
        const QString folder = root + u"/movies/Film %1"_s.arg(i, 5, 10, QChar(u'0'));
        QFile video(folder + u"/Film Title %1 (2001).mkv"_s.arg(i, 5, 10, QChar(u'0')));
        if (!QDir().mkpath(folder) || !video.open(QIODevice::WriteOnly) || !video.resize(700LL << 20))
            return false;
    }
    QFile list(root + u"/dirs.txt"_s);
    const QString line = root + u"/movies\n"_s;
    QByteArray utf16(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);
    return list.open(QIODevice::WriteOnly) && list.write(utf16) == utf16.size();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int count = argc > 2 ? std::atoi(argv[2]) : 0;
    if ((mode != u"found"_s && mode != u"nothing"_s && mode != u"unreachable"_s) || count <= 0) {
        std::fprintf(stderr, "usage: web_first_run_bench found|nothing|unreachable COUNT\n");
        return 2;
    }
    QTemporaryDir work;
    if (!work.isValid() || !MakeCollection(work.path(), count) || !QDir::setCurrent(work.path()))
        return 1;

    TestHttpServer server;
    std::optional<ProxyEnvironment> proxy;
    if (mode == u"unreachable"_s) {
        qputenv("http_proxy", "http://127.0.0.1:9");
        qputenv("https_proxy", "http://127.0.0.1:9");
        qputenv("no_proxy", "");
    } else {
        proxy.emplace(server);
    }

    auto library = std::make_shared<MovieLibrary>();
    std::atomic<int> statuses{0}, rewrites{0};
    library->Host.ShowStatus = [&statuses](const QString&) { ++statuses; };
    library->Host.LibraryReady = [] {};
    library->Host.WallRefresh = [&rewrites] { ++rewrites; };
    BuildLibrary(*library);
    if (mode == u"found"_s) {
        const QByteArray poster = NoisyJpeg(300, 420);
        for (size_t i = 0; i < library->Movies.size(); ++i) {
            const QString picture = u"http://img.test/%1.jpg"_s.arg(i);
            ServeLookup(server, library->Movies[i], {u"简介：一部电影。"_s, {picture}});
            server.Serve(picture, poster, "image/jpeg");
        }
    }

    QElapsedTimer wall;
    wall.start();
    BuildWallPage(*library);
    const qint64 wallMs = wall.elapsed();

    QElapsedTimer clock;
    clock.start();
    RunLookupStage(*library);
    const qint64 lookupMs = clock.elapsed();
    RunWorkerStage(library);
    RunUpdateCheck(*library);
    JoinWorkerThreads(*library);
    BuildWallPage(*library);
    const qint64 totalMs = clock.elapsed();

    int found = 0;
    for (const MovieRecord& movie : library->Movies)
        found += LookupFoundInformation(movie) ? 1 : 0;
    std::printf("mode=%s movies=%zu found=%d lookup_stage_ms=%lld per_lookup_ms=%.1f run_ms=%lld wall_page_ms=%lld "
                "wall_rewrites=%d statuses=%d\n",
                qPrintable(mode), library->Movies.size(), found, static_cast<long long>(lookupMs),
                double(lookupMs) / double(std::max<size_t>(1, library->Movies.size())), static_cast<long long>(totalMs),
                static_cast<long long>(wallMs), rewrites.load(), statuses.load());
    return 0;
}
