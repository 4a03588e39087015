// Reading an information page (decode, parse, shown text, main text, structured data, fields), in bytes
// per second. Made-up pages at 1x, 4x and 16x show it stays linear; REELBOARD_PAGES names saved pages
// (files or folders, separated by ':') to measure one benchmark each, read at run time.
#include "extract/movie_info.h"
#include "web/encodings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// A download site's page: navigation, a script, a style block and the labelled data, repeated.
QByteArray MadeUpPageOfSize(qsizetype bytes) {
    const QString block =
        u"<div class=\"nav\"><ul><li><a href=\"/list/1.html\" class=\"item\">首页</a></li><li><a href=\"/list/2.html\" "
        u"class=\"item\">最新电影</a></li></ul></div>\n<script type=\"text/javascript\">var ad = \"<div>\" + x;"
        u"</script><style>.a{margin:0;padding:0}</style>\n<div id=\"Zoom\" style=\"font-size:14px;line-height:24px\">"
        u"<p>◎译　　名　蝙蝠侠：黑暗骑士<br />◎片　　名　The Dark Knight<br />◎年　　代　2008<br />◎国　　家　美国"
        u"<br />◎简　　介<br />"_s +
        u"这是一部关于英雄与城市的电影，讲述了正义与混乱之间的较量。"_s.repeated(12) + u"</p></div>\n"_s;
    QByteArray page = "<html><head><meta charset=\"utf-8\"><title>t</title></head><body>";
    const QByteArray utf8 = block.toUtf8();
    while (page.size() < bytes)
        page += utf8;
    return page + "</body></html>";
}

void ReadPage(benchmark::State& state, const QByteArray& bytes) {
    for (auto _ : state) {
        const InfoPageReading reading = ReadInfoPage(DecodePageBytes(bytes), u"https://www.example.com/1.html"_s);
        benchmark::DoNotOptimize(reading.Found);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["bytes"] = double(bytes.size());
}

void BM_MadeUpPage(benchmark::State& state) {
    ReadPage(state, MadeUpPageOfSize(200'000 * state.range(0)));
}
BENCHMARK(BM_MadeUpPage)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void RegisterSavedPages() {
    const char* list = std::getenv("REELBOARD_PAGES");
    if (!list)
        return;
    QStringList files;
    for (const QString& entry : QString::fromLocal8Bit(list).split(u':', Qt::SkipEmptyParts)) {
        if (QFileInfo(entry).isDir()) {
            for (const QFileInfo& file : QDir(entry).entryInfoList({u"*.html"_s, u"*.htm"_s}, QDir::Files))
                files.append(file.filePath());
        } else {
            files.append(entry);
        }
    }
    for (const QString& path : std::as_const(files)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        benchmark::RegisterBenchmark(QFileInfo(path).fileName().toUtf8().constData(), [bytes](benchmark::State& state) {
            ReadPage(state, bytes);
        })->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    RegisterSavedPages();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
