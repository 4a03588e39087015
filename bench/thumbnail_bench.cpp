// Poster thumbnails: one 1000 x 1500 poster per iteration, plus two whole-run modes that
// thumbnail_bench.sh times against another thumbnailer on the same files:
//   thumbnail_bench generate DIR COUNT     writes COUNT photo-like posters of 1000 x 1500
//   thumbnail_bench make DIR [parallel]    thumbnails every poster of DIR, one by one or as a wall does
#include "library/thumbnail.h"
#include "pages/wall_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// Gradients, shapes and grain, so the JPEG is as costly to decode as a real poster (a flat picture
// would decode unrealistically fast).
QImage Poster(int seed) {
    QImage image(1000, 1500, QImage::Format_RGB32);
    uint32_t noise = 2463534242u + uint32_t(seed) * 7919u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
            const int grain = int(noise & 31) - 16;
            const double wave = std::sin((x + seed * 37) / 53.0) * std::cos(y / 71.0);
            const int r = std::clamp(int(120 + 90 * wave + (x * 60) / 1000) + grain, 0, 255);
            const int g = std::clamp(int(80 + (y * 120) / 1500 + 40 * wave) + grain, 0, 255);
            const int b = std::clamp(int(150 - 70 * wave + ((x ^ y) & 63)) + grain, 0, 255);
            line[x] = qRgb(r, g, b);
        }
    }
    return image;
}

QStringList Posters(const QString& dir) {
    QStringList paths;
    for (const QString& name : QDir(dir).entryList({u"*.jpg"_s}, QDir::Files, QDir::Name))
        if (!name.contains(u".thumb."_s))
            paths << QDir(dir).filePath(name);
    return paths;
}

int Generate(const QString& dir, int count) {
    QDir().mkpath(dir);
    for (int i = 0; i < count; ++i)
        if (!Poster(i).save(QDir(dir).filePath(u"poster%1.jpg"_s.arg(i, 3, 10, QChar(u'0'))), "JPG", 88))
            return 1;
    return 0;
}

int Make(const QString& dir, bool parallel) {
    const QStringList posters = Posters(dir);
    QElapsedTimer timer;
    timer.start();
    if (parallel) {
        // The way a wall build makes them: every record's picture, shared among the cores.
        std::vector<MovieRecord> records;
        for (const QString& poster : posters) {
            MovieRecord record;
            record.FilePath = poster.chopped(4) + u".avi"_s;
            record.FolderImage = poster;
            record.FolderVideoCount = 1;
            records.push_back(record);
        }
        MakeWallItems(records);
    } else {
        for (const QString& poster : posters)
            MakeThumbnail(poster);
    }
    std::printf("%lld ms for %lld posters\n", static_cast<long long>(timer.elapsed()),
                static_cast<long long>(posters.size()));
    return 0;
}

void BM_MakeThumbnail(benchmark::State& state) {
    QTemporaryDir dir;
    const QString poster = dir.filePath(u"a.avi.jpg"_s);
    Poster(1).save(poster, "JPG", 88);
    for (auto _ : state) {
        QFile::remove(dir.filePath(u"a.avi.thumb.jpg"_s));
        benchmark::DoNotOptimize(MakeThumbnail(poster));
    }
}
BENCHMARK(BM_MakeThumbnail)->Unit(benchmark::kMillisecond);

void BM_ExistingThumbnail(benchmark::State& state) {
    QTemporaryDir dir;
    const QString poster = dir.filePath(u"a.avi.jpg"_s);
    Poster(1).save(poster, "JPG", 88);
    MakeThumbnail(poster);
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeThumbnail(poster));
}
BENCHMARK(BM_ExistingThumbnail)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc >= 4 && std::strcmp(argv[1], "generate") == 0)
        return Generate(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "make") == 0)
        return Make(QString::fromLocal8Bit(argv[2]), argc >= 4 && std::strcmp(argv[3], "parallel") == 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
