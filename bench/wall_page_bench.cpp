// The wall page of 10,000 movies whose thumbnails exist: what every wall build after the first costs.
#include "pages/wall_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void Touch(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

// Ten movies to a folder, like a collection sorted by genre; each has its poster and thumbnail.
void FillLibrary(MovieLibrary& library, const QString& root, int count) {
    for (int i = 0; i < count; ++i) {
        const QString folder = root + u"/genre%1"_s.arg(i / 10);
        if (i % 10 == 0)
            QDir().mkpath(folder);
        MovieRecord record;
        record.FilePath = folder + u"/The Movie Number %1 (2009) 1080p.mkv"_s.arg(i);
        record.FileName = QFileInfo(record.FilePath).fileName();
        record.Folder = folder;
        record.DisplayTitle = u"the movie number %1 (2009) 1080p"_s.arg(i);
        record.FolderVideoCount = 10;
        record.FolderImageCount = 10;
        record.Title = u"第%1号电影"_s.arg(i);
        record.OriginalTitle = u"The Movie Number %1"_s.arg(i);
        record.CountryOfOrigin = u"美国"_s;
        record.ProductionYear = u"2009"_s;
        record.Rating = u"7.9/10 from 12,345 users"_s;
        record.Genres = u"剧情 / 科幻 / 冒险"_s;
        record.Overview = u"一段简介。"_s.repeated(20);
        Touch(record.FilePath + u".jpg"_s);
        Touch(record.FilePath + u".thumb.jpg"_s);
        library.Movies.push_back(record);
    }
}

void BM_BuildWallPage(benchmark::State& state) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    MovieLibrary library;
    FillLibrary(library, dir.path(), static_cast<int>(state.range(0)));
    double processCpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        benchmark::DoNotOptimize(BuildWallPage(library));
        processCpu += ProcessCpuMs() - before;
    }
    // CPU of every thread per build: on a busy machine the wall time mostly measures the others.
    state.counters["cpu_ms_all_threads"] = processCpu / double(state.iterations());
    state.counters["page_bytes"] = double(QFileInfo(dir.filePath(u"menu.html"_s)).size());
    QDir::setCurrent(previous);
}
BENCHMARK(BM_BuildWallPage)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts of a build: the items alone (existence checks and markup), and writing a page of that size.
void BM_WallItems(benchmark::State& state) {
    QTemporaryDir dir;
    MovieLibrary library;
    FillLibrary(library, dir.path(), static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeWallItems(library.Movies));
}
BENCHMARK(BM_WallItems)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
