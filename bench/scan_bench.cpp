// The folder scan (stage 1) over a synthetic collection, plus the whole-run modes that scan_bench.sh
// times against `find` and `cat` over the same tree:
//   scan_bench generate ROOT [VIDEOS FOLDERS OTHERS METADATA DEPTH]
//       writes a collection: sparse videos, small samples, folder images, thumbnails, subtitles and
//       text files, and a metadata file for the first METADATA videos; FOLDERS leaf folders DEPTH
//       levels deep (defaults: 10000 2000 40000 5000 3)
//   scan_bench scan ROOT
//       runs stage 1 once on a "dirs.txt" naming ROOT; prints the videos found, the time and the
//       peak resident memory
//   scan_bench to-store VIEW SOURCE
//       moves every metadata file of the collection at SOURCE into the local store, as a run over a
//       read-only share would have kept it, with a poster beside it; VIEW is where the collection is
//       seen (a read-only mount of SOURCE, or SOURCE itself), and the store is keyed by those paths
//   scan_bench [benchmark flags]
//       the same scan as a Google Benchmark, on a small collection it generates itself
#include "library/atomic_file.h"
#include "library/local_store.h"
#include "library/movie_xml.h"
#include "pipeline/build_thread.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

struct CollectionShape {
    int Videos = 10000;
    int Folders = 2000;
    int Others = 40000;
    int Metadata = 5000;
    int Depth = 3;
};

// Leaf folder `index` as a path of `depth` levels, spreading the folders evenly over the tree.
QString FolderPath(const QString& root, int index, const CollectionShape& shape) {
    const int branching = std::max(2, int(std::ceil(std::pow(shape.Folders, 1.0 / shape.Depth))));
    QString path = root;
    int rest = index;
    QStringList levels;
    for (int level = 0; level < shape.Depth; ++level) {
        levels.prepend(u"%1 %2"_s.arg(level == shape.Depth - 1 ? u"Films"_s : u"Shelf"_s).arg(rest % branching));
        rest /= branching;
    }
    return path + u'/' + levels.join(u'/');
}

bool WriteSmall(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool Generate(const QString& root, const CollectionShape& shape) {
    const QByteArray jpeg(2000, 'j');
    const QByteArray text(600, 't');
    int video = 0;
    int other = 0;
    for (int folder = 0; folder < shape.Folders; ++folder) {
        const QString dir = FolderPath(root, folder, shape);
        if (!QDir().mkpath(dir))
            return false;
        const int videoEnd = int(qint64(shape.Videos) * (folder + 1) / shape.Folders);
        for (; video < videoEnd; ++video) {
            const QString name = u"Some.Movie.Title.%1.2010.720p.BluRay.x264.mkv"_s.arg(video);
            QFile file(dir + u'/' + name);
            if (!file.open(QIODevice::WriteOnly) || !file.resize(30'000'001 + video))
                return false;
            if (video < shape.Metadata) {
                MovieRecord record;
                record.FilePath = file.fileName();
                record.Title = u"◎译　　名　电影 %1"_s.arg(video);
                record.OriginalTitle = u"◎片　　名　Some Movie Title %1"_s.arg(video);
                record.CountryOfOrigin = u"◎国　　家　美国"_s;
                record.ProductionYear = u"◎年　　代　2010"_s;
                record.Genres = u"◎类　　别　剧情/犯罪"_s;
                record.Overview = QString(400, u'介');
                record.infourl = u"http://example.invalid/info/%1.html"_s.arg(video);
                record.picurl = u"http://example.invalid/p/%1.jpg"_s.arg(video);
                if (!WriteMovieXml(record))
                    return false;
            }
        }
        // The other files: folder images, thumbnails, subtitles, small samples (stat'ed, too small),
        // text files.
        const int otherEnd = int(qint64(shape.Others) * (folder + 1) / shape.Folders);
        for (int k = 0; other < otherEnd; ++other, ++k) {
            bool ok = true;
            switch (k % 5) {
            case 0:
                ok = WriteSmall(dir + u"/cover%1.jpg"_s.arg(k), jpeg);
                break;
            case 1:
                ok = WriteSmall(dir + u"/poster%1.thumb.jpg"_s.arg(k), jpeg);
                break;
            case 2:
                ok = WriteSmall(dir + u"/Some.Movie.%1.chs.srt"_s.arg(k), text);
                break;
            case 3:
                ok = WriteSmall(dir + u"/sample%1.avi"_s.arg(k), text);
                break;
            default:
                ok = WriteSmall(dir + u"/readme%1.nfo"_s.arg(k), text);
            }
            if (!ok)
                return false;
        }
    }
    return true;
}

// Stage 1 on a "dirs.txt" that names `root`, in a fresh working folder.
size_t ScanOnce(const QString& root) {
    QTemporaryDir work;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    QByteArray list("\xFF\xFE", 2);
    const QString line = root + u"\r\n"_s;
    list.append(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);
    WriteSmall(u"dirs.txt"_s, list);
    MovieLibrary library;
    ScanListedFolders(library);
    QDir::setCurrent(previous);
    return library.Movies.size();
}

// Returns the number of metadata files moved, or -1 on a failure.
int MoveToStore(const QString& view, const QString& source) {
    const QByteArray poster(2000, 'j');
    int moved = 0;
    QDirIterator files(view, {u"*.xml"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString xml = files.next();
        const QString video = xml.chopped(4);
        const QString entry = LocalStoreFolderOf(video);
        QFile file(xml);
        if (entry.isEmpty() || !MakeLocalStoreFolder(entry, video) || !file.open(QIODevice::ReadOnly))
            return -1;
        const QString name = video.mid(video.lastIndexOf(u'/') + 1);
        if (!WriteFileAtomically(entry + u'/' + name + u".xml"_s, file.readAll()) ||
            !WriteFileAtomically(entry + u'/' + name + u".jpg"_s, poster) ||
            !QFile::remove(source + xml.mid(view.size())))
            return -1;
        ++moved;
    }
    return moved;
}

long PeakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_ScanListedFolders(benchmark::State& state) {
    static QTemporaryDir collection;
    static const bool generated = Generate(collection.path(), {1000, 200, 4000, 500, 2});
    if (!generated) {
        state.SkipWithError("could not generate the collection");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(ScanOnce(collection.path()));
    state.SetItemsProcessed(state.iterations() * 5500);
}
BENCHMARK(BM_ScanListedFolders)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "generate") == 0) {
        CollectionShape shape;
        int* fields[] = {&shape.Videos, &shape.Folders, &shape.Others, &shape.Metadata, &shape.Depth};
        for (int i = 3; i < argc && i - 3 < 5; ++i)
            *fields[i - 3] = std::atoi(argv[i]);
        if (shape.Folders < 1 || shape.Depth < 1 || shape.Metadata > shape.Videos) {
            std::fputs("scan_bench: FOLDERS and DEPTH must be at least 1, METADATA at most VIDEOS\n", stderr);
            return 2;
        }
        return Generate(QFile::decodeName(argv[2]), shape) ? 0 : 1;
    }
    if (argc >= 4 && std::strcmp(argv[1], "to-store") == 0) {
        const int moved = MoveToStore(QFileInfo(QFile::decodeName(argv[2])).absoluteFilePath(),
                                      QFileInfo(QFile::decodeName(argv[3])).absoluteFilePath());
        std::printf("metadata files moved to %s: %d\n", qPrintable(LocalStoreRoot()), moved);
        return moved < 0 ? 1 : 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "scan") == 0) {
        QElapsedTimer timer;
        timer.start();
        const size_t videos = ScanOnce(QFileInfo(QFile::decodeName(argv[2])).absoluteFilePath());
        std::printf("videos %zu, %lld ms, peak memory %ld KB\n", videos, timer.elapsed(), PeakResidentKb());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
