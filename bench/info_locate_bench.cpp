// LocateMainText and ExtractMovieInfo on large inputs, at 1x, 4x and 16x the base size, to show
// that both stay linear.
#include "extract/movie_info.h"
#include "web/info_page.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// A page built from a repeated block of navigation markup, a script, and dense text.
QString InfoPageOfSize(qsizetype characters) {
    const QString block =
        u"<div class=\"nav\"><ul><li><a href=\"/list/1.html\" class=\"item\">首页</a></li><li><a href=\"/list/2.html\" "
        u"class=\"item\">最新电影</a></li></ul></div>\r\n<script type=\"text/javascript\">var ad = \"<div>\" + x;"
        u"</script>\r\n<div id=\"Zoom\"><p>◎译　　名　蝙蝠侠：黑暗骑士<br />◎片　　名　The Dark Knight<br />"
        u"◎年　　代　2008<br />◎国　　家　美国<br />◎简　　介<br />"_s +
        u"这是一部关于英雄与城市的电影，讲述了正义与混乱之间的较量。"_s.repeated(12) + u"</p></div>\r\n"_s +
        QString(400, u' ');
    QString page = u"<html><head><title>t</title></head><body>"_s;
    page.reserve(characters + block.size());
    while (page.size() < characters)
        page += block;
    page.truncate(characters);
    return page;
}

QString MainTextOfSize(qsizetype characters) {
    const QString block = u"<p>◎译　　名　蝙蝠侠：黑暗骑士<br />◎片　　名　The Dark Knight<br />◎年　　代　2008<br />"
                          u"◎国　　家　美国<br />◎类　　别　动作/犯罪<br />IMDB评分: 8.9/10<br />◎简　　介<br />"
                          u"　　这是一部关于英雄与城市的电影&hellip;讲述了正义与混乱之间的较量。&nbsp;<br>\r\n"
                          u"<span style=\"color:red\">Caf&eacute; &amp; more</span></p>\r\n"_s;
    QString text;
    text.reserve(characters + block.size());
    while (text.size() < characters)
        text += block;
    text.truncate(characters);
    return text;
}

void BM_LocateMainText(benchmark::State& state) {
    const QString page = InfoPageOfSize(2'000'000 * state.range(0));
    for (auto _ : state) {
        const MainTextRegion region = LocateMainText(page);
        benchmark::DoNotOptimize(region);
    }
    state.SetItemsProcessed(state.iterations() * page.size()); // items = characters
    state.counters["chars"] = double(page.size());
}
BENCHMARK(BM_LocateMainText)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_ExtractMovieInfo(benchmark::State& state) {
    QTemporaryDir dir;
    const QString text = MainTextOfSize(200'000 * state.range(0));
    MovieRecord record;
    record.FilePath = dir.filePath(u"film.mkv"_s);
    for (auto _ : state) {
        ExtractMovieInfo(record, text);
        benchmark::DoNotOptimize(record.Overview);
    }
    state.SetItemsProcessed(state.iterations() * text.size());
    state.counters["chars"] = double(text.size());
}
BENCHMARK(BM_ExtractMovieInfo)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
