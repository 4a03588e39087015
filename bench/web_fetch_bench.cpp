// One whole lookup (FetchMovieInfo) against the local test server, and its parts, to show where the
// time goes. The downloader's designed throttle (10 ms after every piece of at most 4095 bytes) sets
// a floor, reported as "throttle_ms".
#include "extract/movie_info.h"
#include "tests/support/http_server.h"
#include "web/encodings.h"
#include "web/info_page.h"
#include "web/links.h"
#include "web/retrieval.h"
#include "web/search.h"
#include "web/ydown.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <iconv.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray Gbk(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open("CP936", "UTF-8");
    QByteArray out(utf8.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.truncate(outPtr - out.constData());
    return out;
}

// About the size of a real information page: a head with scripts, navigation, the data block.
QByteArray InfoPage() {
    QString page = u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />"
                   u"<title>The Dark Knight</title><script type=\"text/javascript\">"_s +
                   u"var menu = [\"首页\", \"最新电影\"]; function show(a) { return a < 1; }\r\n"_s.repeated(80) +
                   u"</script></head><body>"_s;
    page +=
        u"<div class=\"nav\"><ul><li><a href=\"/list/1.html\" class=\"item\">首页</a></li></ul></div>\r\n"_s.repeated(
            60);
    page += u"<div id=\"Zoom\"><p><img src=\"http://img.example.com/poster.jpg\" /><br />"
            u"◎译　　名　蝙蝠侠：黑暗骑士<br />◎片　　名　The Dark Knight<br />◎年　　代　2008<br />"
            u"◎国　　家　美国<br />◎类　　别　动作/犯罪<br />IMDB评分: 8.9/10<br />◎简　　介<br />"_s;
    for (int i = 0; i < 12; ++i)
        page +=
            u"　　"_s + u"这是一部关于英雄与城市的电影，讲述了正义与混乱之间的较量。"_s.repeated(4) + u"<br />\r\n"_s;
    page += u"</p><p>下载地址</p><a href=\"ftp://dl.example.com/film.mkv\">ftp://dl.example.com/film.mkv</a>"
            u"</div>"_s;
    page += u"<div class=\"footer\"><a href=\"/about.html\">about</a></div>\r\n"_s.repeated(40) + u"</body></html>"_s;
    return Gbk(page);
}

QByteArray ResultsPage() {
    QString page = u"<html><head><title>results</title><style>"_s + u".b_algo h2 { margin: 0 }\r\n"_s.repeated(100) +
                   u"</style></head><body><ol id=\"b_results\">\r\n"_s;
    for (int i = 0; i < 10; ++i)
        page += u"<li class=\"b_algo\"><h2><a href=\"http://www.example.org/news/%1.html\" h=\"ID=SERP,%1\">"
                u"结果 %1</a></h2><p>摘要摘要摘要摘要摘要摘要摘要摘要摘要摘要</p></li>\r\n"_s.arg(i);
    page += u"<li class=\"b_algo\"><h2><a href=\"http://www.dytt8.net/html/1.html\">电影</a></h2></li>\r\n"
            u"</ol></body></html>\r\n"_s;
    return Gbk(page);
}

int Pieces(qsizetype bytes) {
    return int((bytes + DownloadChunkBytes - 1) / DownloadChunkBytes);
}

struct Setup {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    TestHttpServer server;
    ProxyEnvironment proxy{server};
    QByteArray info = InfoPage();
    QByteArray results = ResultsPage();
    MovieRecord record;

    Setup() {
        QDir::setCurrent(dir.path());
        server.Serve(u"http://www.bing.com/search?q=The+Dark+Knight+2008+mkv"_s, results);
        server.Serve(u"http://www.dytt8.net/html/1.html"_s, info);
        record.FileName = u"The.Dark.Knight.2008.mkv"_s;
        record.Folder = dir.path();
        record.FilePath = dir.filePath(record.FileName);
        record.FolderVideoCount = 11; // search for the file name alone
    }
    ~Setup() { QDir::setCurrent(previous); }
};

void BM_FetchMovieInfo(benchmark::State& state) {
    Setup setup;
    for (auto _ : state) {
        MovieRecord record = setup.record;
        FetchMovieInfo(record);
        if (record.infourl.isEmpty())
            state.SkipWithError("lookup found nothing");
    }
    state.counters["throttle_ms"] =
        double(Pieces(setup.results.size()) + Pieces(setup.info.size())) * DownloadChunkPauseMs;
    state.counters["page_bytes"] = double(setup.info.size());
    state.counters["results_bytes"] = double(setup.results.size());
}
BENCHMARK(BM_FetchMovieInfo)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SearchTitle(benchmark::State& state) {
    Setup setup;
    for (auto _ : state) {
        QStringList links;
        benchmark::DoNotOptimize(SearchTitle(setup.record, u"bing"_s, setup.record.FileName, links));
    }
    state.counters["throttle_ms"] = double(Pieces(setup.results.size())) * DownloadChunkPauseMs;
}
BENCHMARK(BM_SearchTitle)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FetchInfoPage(benchmark::State& state) {
    Setup setup;
    for (auto _ : state) {
        MovieRecord record = setup.record;
        benchmark::DoNotOptimize(FetchInfoPage(record, u"http://www.dytt8.net/html/1.html"_s));
    }
    state.counters["throttle_ms"] = double(Pieces(setup.info.size())) * DownloadChunkPauseMs;
}
BENCHMARK(BM_FetchInfoPage)->Unit(benchmark::kMillisecond)->Iterations(10);

// Everything after the download: decoding and reading the page into the record.
void BM_InfoPageWithoutDownload(benchmark::State& state) {
    Setup setup;
    for (auto _ : state) {
        MovieRecord record = setup.record;
        ExtractMovieInfo(record, DecodePageBytes(setup.info), u"http://www.dytt8.net/html/1.html"_s);
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_InfoPageWithoutDownload)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
