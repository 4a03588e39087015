// Ten poster workers downloading 100 posters of 200 KB from the local test server, against the floor
// that the downloader's throttle sets: a 10 ms pause after every chunk of at most 4095 bytes, shared
// by ten workers. Goal: within 1.3 times that floor, so the ten really download in parallel.
#include "library/movie_library.h"
#include "pipeline/download_workers.h"
#include "pipeline/thread_control.h"
#include "tests/support/http_server.h"
#include "web/ydown.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

using namespace Qt::StringLiterals;

namespace {

constexpr int PosterCount = 100;
constexpr int PosterSize = 200 * 1024;

QByteArray PosterBytes() {
    QByteArray bytes(PosterSize, 'x');
    bytes[0] = char(0xFF), bytes[1] = char(0xD8);
    bytes[PosterSize - 2] = char(0xFF), bytes[PosterSize - 1] = char(0xD9);
    return bytes;
}

void BM_PosterWorkers(benchmark::State& state) {
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    const QByteArray poster = PosterBytes();
    for (int n = 0; n < PosterCount; ++n)
        server.Serve(u"http://img.test/%1.jpg"_s.arg(n), poster, "image/jpeg");

    const double chunks = PosterCount * double((PosterSize + DownloadChunkBytes - 1) / DownloadChunkBytes);
    const double floorSeconds = chunks * DownloadChunkPauseMs / 1000.0 / WorkerCount;
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        auto library = std::make_shared<MovieLibrary>();
        for (int n = 0; n < PosterCount; ++n) {
            MovieRecord movie;
            movie.FilePath = folder.filePath(u"v%1.mkv"_s.arg(n));
            movie.FolderVideoCount = PosterCount;
            movie.picurl = u"http://img.test/%1.jpg"_s.arg(n);
            library->PosterQueue.push_back(movie);
        }
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        StartPosterWorkers(library);
        JoinWorkerThreads(*library);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        state.PauseTiming();
        worst = std::max(worst, elapsed.count());
        if (QDir(folder.path()).entryList({u"*.mkv.jpg"_s}, QDir::Files).size() != PosterCount)
            state.SkipWithError("not every poster was stored");
        QDir::setCurrent(previous);
        state.ResumeTiming();
    }
    state.counters["floor_s"] = floorSeconds;
    state.counters["worst_x_floor"] = worst / floorSeconds;
}

} // namespace

BENCHMARK(BM_PosterWorkers)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
