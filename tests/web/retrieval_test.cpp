#include "web/retrieval.h"

#include "tests/support/http_server.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_folder.h"
#include "tests/web/sample_pages.h"

#include <QFile>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

MovieRecord FilmIn(const QString& folder, int videos, int subfolders) {
    MovieRecord record;
    record.FileName = u"Some.Film.2009.mkv"_s;
    record.Folder = folder;
    record.FilePath = folder + u'/' + record.FileName;
    record.FolderVideoCount = videos;
    record.FolderSubfolderCount = subfolders;
    return record;
}

} // namespace

TEST(SearchTextFor, AddsTheFolderNameOnlyForSmallFoldersWithoutSubfolders) {
    EXPECT_EQ(SearchTextFor(FilmIn(u"/films/Some Film"_s, 1, 0)), u"Some.Film.2009.mkv Some Film"_s);
    EXPECT_EQ(SearchTextFor(FilmIn(u"/films/Some Film"_s, 10, 0)), u"Some.Film.2009.mkv Some Film"_s);
    EXPECT_EQ(SearchTextFor(FilmIn(u"/films/Some Film"_s, 11, 0)), u"Some.Film.2009.mkv"_s);
    EXPECT_EQ(SearchTextFor(FilmIn(u"/films/Some Film"_s, 1, 1)), u"Some.Film.2009.mkv"_s);
    // A folder ending in its separator adds the blank alone; one right below the root adds nothing.
    EXPECT_EQ(SearchTextFor(FilmIn(u"/films/Some Film/"_s, 1, 0)), u"Some.Film.2009.mkv "_s);
    EXPECT_EQ(SearchTextFor(FilmIn(u"/films"_s, 1, 0)), u"Some.Film.2009.mkv"_s);
    EXPECT_EQ(SearchTextFor(FilmIn(u"films"_s, 1, 0)), u"Some.Film.2009.mkv"_s);
}

namespace {

const QString BingQuery = u"http://www.bing.com/search?q=Some+Film+2009+mkv+Some+Film"_s;
const QString SogouQuery = u"http://www.sogou.com/web?query=Some%20Film%202009%20mkv%20Some%20Film"_s;
const QString GoodPage = u"http://www.dytt8.net/html/gndy/2009/1.html"_s;

class FetchMovieInfoTest : public ::testing::Test {
protected:
    FetchMovieInfoTest() {
        folder.mkdir(u"Some Film"_s);
        record = FilmIn(folder.file(u"Some Film"_s), 1, 0);
        goodPage = EncodeAs(SampleInfoPage(u"gb2312"_s), "CP936");
    }

    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy{server};
    MovieRecord record;
    QByteArray goodPage;
};

} // namespace

TEST_F(FetchMovieInfoTest, LooksAMovieUpEndToEnd) {
    server.Serve(BingQuery, SampleResultsPage({u"http://www.example.org/news/1.html"_s, GoodPage}));
    server.Serve(GoodPage, goodPage);
    server.Serve(u"http://www.example.org/news/1.html"_s, goodPage);

    EXPECT_EQ(FetchMovieInfo(record), 1);
    // The preferred link is tried first and ends the lookup; the other link is never fetched.
    EXPECT_EQ(server.HitCount(GoodPage), 1);
    EXPECT_EQ(server.HitCount(u"http://www.example.org/news/1.html"_s), 0);
    EXPECT_EQ(server.HitCount(SogouQuery), 0);

    EXPECT_EQ(record.infourl, GoodPage);
    EXPECT_EQ(record.Title, SamplePage::Title);
    EXPECT_EQ(record.picurl, SamplePage::Pictures);
    EXPECT_TRUE(record.Overview.contains(u"这是一部关于英雄与城市的电影"_s));

    // The lookup writes no metadata file: its caller stores the result, once.
    EXPECT_FALSE(QFile::exists(record.FilePath + u".xml"_s));
    EXPECT_TRUE(QFile::exists(record.FilePath + u".search.htm"_s));
    EXPECT_EQ(folder.read(u"Some Film/Some.Film.2009.mkv.info.htm"_s), goodPage);
}

TEST_F(FetchMovieInfoTest, FollowsAClickThroughResultToAnHttpsInformationSite) {
    const QString secure = u"https://www.dytt8.net/html/gndy/2009/1.html"_s;
    const QString other = u"https://a.example.org/1.html"_s;
    server.Serve(BingQuery, SampleBingPage({u"https://card.example.org/"_s}, {other, secure}));
    server.Serve(secure, goodPage);
    FetchMovieInfo(record);
    // The result on the preferred site (of either scheme) goes first, over TLS through the proxy.
    EXPECT_EQ(record.infourl, secure);
    EXPECT_EQ(record.Title, SamplePage::Title);
    EXPECT_EQ(server.HitCount(secure), 1);
    EXPECT_EQ(server.HitCount(other), 0);
    EXPECT_EQ(server.HitCount(SogouQuery), 0);
}

TEST_F(FetchMovieInfoTest, TriesDistinctLinksInOrderUntilOnePageHasAMainText) {
    const QString a = u"http://a.example.org/1.html"_s;
    const QString b = u"http://b.example.org/2.html"_s;
    const QString c = u"http://c.example.org/3.html"_s;
    server.Serve(BingQuery, SampleResultsPage({a, b, a}));
    server.Serve(SogouQuery, SampleResultsPage({b, c, GoodPage}));
    server.Fail(a, 404);
    server.Serve(b, "<html><body>too short to hold a main text</body></html>");
    server.Serve(c, goodPage);

    FetchMovieInfo(record);
    // bing had no preferred link, so sogou was asked; its preferred link goes first.
    EXPECT_EQ(server.HitCount(SogouQuery), 1);
    std::vector<QString> fetched;
    for (const auto& request : server.Requests()) {
        if (request.Host != "www.bing.com" && request.Host != "www.sogou.com")
            fetched.push_back(request.Url());
    }
    // The preferred link is not there; then a and b, each once, and c, which has the main text.
    EXPECT_EQ(fetched, (std::vector<QString>{GoodPage, a, b, c}));
    EXPECT_EQ(record.infourl, c);
}

TEST_F(FetchMovieInfoTest, ABlockedEngineFallsToTheOther) {
    server.Serve(BingQuery,
                 SampleResultsPage({u"http://a.example.org/1.html"_s}) + EncodeAs(u"请您输入验证码"_s, "CP936"));
    server.Serve(SogouQuery, SampleResultsPage({GoodPage}));
    server.Serve(GoodPage, goodPage);
    FetchMovieInfo(record);
    EXPECT_EQ(record.infourl, GoodPage);
    EXPECT_EQ(server.HitCount(u"http://a.example.org/1.html"_s), 0);
}

TEST_F(FetchMovieInfoTest, APageThatGivesNothingLeavesTheNextCandidate) {
    const QString a = u"http://a.example.org/1.html"_s;
    const QString b = u"http://b.example.org/2.html"_s;
    // A dense page whose text is all in its download section: no title and no overview.
    const QString prose = u"<html><head><meta charset=utf-8></head><body>"_s + QString(500, u' ') + u"<p>下载地址"_s +
                          QString(600, u'x') + u"</p>"_s + QString(500, u' ') + u"</body></html>"_s;
    server.Serve(BingQuery, SampleResultsPage({a, b}));
    server.Serve(a, prose.toUtf8());
    server.Serve(b, goodPage);
    FetchMovieInfo(record);
    EXPECT_EQ(record.infourl, b);
    EXPECT_EQ(record.Title, SamplePage::Title);
}

TEST_F(FetchMovieInfoTest, NothingToExtractIsRecorded) {
    server.Serve(BingQuery, SampleResultsPage({}));
    server.Serve(SogouQuery, SampleResultsPage({u"http://a.example.org/1.html"_s}));
    FetchMovieInfo(record);
    EXPECT_EQ(record.Overview, u"错误：提取不到信息"_s);
}

TEST_F(FetchMovieInfoTest, ASearchThatReachedNoEngineIsRecordedForAnotherTry) {
    // Neither engine answered (both unreachable here): the movie was never searched, so it gets the
    // text that has it looked up again at the next start, not the one that marks it as done.
    FetchMovieInfo(record);
    EXPECT_EQ(record.Overview, u"错误：搜索不到相关信息"_s);
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(FetchMovieInfoTest, AnEarlierOverviewIsKeptWhenNothingIsFound) {
    record.Overview = u"written by hand"_s;
    server.Serve(BingQuery, SampleResultsPage({}));
    FetchMovieInfo(record);
    EXPECT_EQ(record.Overview, u"written by hand"_s);
    EXPECT_FALSE(QFile::exists(record.FilePath + u".xml"_s));
}

TEST_F(FetchMovieInfoTest, AStopRequestEndsTheLookupWithoutAVerdict) {
    const QString b = u"http://b.example.org/2.html"_s;
    server.Serve(BingQuery, SampleResultsPage({u"http://a.example.org/1.html"_s, b}));
    server.ServeSlowly(u"http://a.example.org/1.html"_s, goodPage, 100, 50);
    server.Serve(b, goodPage);
    std::atomic<bool> stop{false};
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    FetchMovieInfo(record, &stop);
    stopper.join();
    EXPECT_TRUE(record.Overview.isEmpty());
    EXPECT_TRUE(record.infourl.isEmpty());
    EXPECT_FALSE(QFile::exists(record.FilePath + u".xml"_s));
    EXPECT_EQ(server.HitCount(b), 0);
}
