#include "web/info_page.h"

#include "extract/labels.h"
#include "tests/support/http_server.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_folder.h"
#include "tests/web/sample_pages.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class FetchInfoPageTest : public ::testing::Test {
protected:
    FetchInfoPageTest() { record.FilePath = folder.file(u"The.Dark.Knight.mkv"_s); }

    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy{server};
    MovieRecord record;
    const QString url = u"http://www.dytt8.net/html/gndy/1.html"_s;
};

} // namespace

TEST_F(FetchInfoPageTest, ReadsAGbkPageIntoTheRecord) {
    const QByteArray bytes = EncodeAs(SampleInfoPage(u"gb2312"_s), "CP936");
    server.Serve(url, bytes);
    ASSERT_TRUE(FetchInfoPage(record, url));

    EXPECT_EQ(record.Title, SamplePage::Title);
    EXPECT_EQ(record.OriginalTitle, SamplePage::OriginalTitle);
    EXPECT_EQ(record.ProductionYear, SamplePage::ProductionYear);
    EXPECT_EQ(record.CountryOfOrigin, SamplePage::CountryOfOrigin);
    EXPECT_EQ(record.Genres, SamplePage::Genres);
    EXPECT_EQ(record.Rating, SamplePage::Rating);
    EXPECT_TRUE(record.Overview.startsWith(u"◎简　　介\n这是一部关于英雄"_s)) << record.Overview.toStdString();
    EXPECT_FALSE(record.Overview.contains(u"发布时间"_s));
    EXPECT_FALSE(record.Overview.contains(u"下载"_s));
    EXPECT_EQ(record.infourl, url);
    // Links come from the whole page, pictures from the main text.
    EXPECT_EQ(record.movieurl, SamplePage::FtpLinks);
    EXPECT_EQ(record.picurl, SamplePage::Pictures);

    EXPECT_EQ(folder.read(u"The.Dark.Knight.mkv.info.htm"_s), bytes);
    // The lookup writes the metadata file once, when it stores its result.
    EXPECT_FALSE(QFile::exists(record.FilePath + u".xml"_s));
    EXPECT_TRUE(QFile::exists(u"tempdown.html"_s));
}

TEST_F(FetchInfoPageTest, ReadsTheDataOfBothSiteFamiliesAsItIsShown) {
    const struct {
        const char* name;
        QByteArray bytes;
    } pages[] = {
        {"link lists and a broken block", EncodeAs(LinkListInfoPage(), "CP936")},
        {"one paragraph per line", ParagraphInfoPage().toUtf8()},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.name);
        MovieRecord movie;
        movie.FilePath = folder.file(u"film.mkv"_s);
        server.Serve(url, page.bytes);
        ASSERT_TRUE(FetchInfoPage(movie, url));
        EXPECT_EQ(CleanFieldValue(movie.Title), u"蝙蝠侠：黑暗骑士"_s);
        EXPECT_EQ(CleanFieldValue(movie.OriginalTitle), u"The Dark Knight"_s);
        EXPECT_EQ(CleanFieldValue(movie.ProductionYear), u"2008"_s);
        EXPECT_EQ(CleanFieldValue(movie.CountryOfOrigin), u"美国"_s);
        EXPECT_EQ(CleanFieldValue(movie.Genres), u"动作/犯罪/剧情"_s);
        EXPECT_EQ(CleanFieldValue(movie.Rating), u"8.9/10 from 2,000,000 users"_s);
        EXPECT_TRUE(movie.Overview.contains(u"◎简　　介\n"_s)) << movie.Overview.toStdString();
        EXPECT_TRUE(movie.Overview.contains(u"这是一部关于英雄与城市的电影"_s));
        for (const QString& stranger : {u"下载"_s, u"另一部"_s, u"window"_s, u"var "_s, u"发布时间"_s})
            EXPECT_FALSE(movie.Overview.contains(stranger)) << stranger.toStdString();
        EXPECT_EQ(movie.movieurl, SamplePage::FtpLinks);
    }
}

TEST_F(FetchInfoPageTest, DecodesUtf8AndBig5PagesByTheirDeclaration) {
    server.Serve(url, SampleInfoPage(u"UTF-8"_s).toUtf8());
    ASSERT_TRUE(FetchInfoPage(record, url));
    EXPECT_EQ(record.Title, SamplePage::Title);

    MovieRecord big5;
    big5.FilePath = folder.file(u"big5.mkv"_s);
    const QString big5Url = u"http://www.example.com.tw/movie/1.html"_s;
    server.Serve(big5Url, EncodeAs(SampleInfoPage(u"big5"_s, true), "CP950"));
    ASSERT_TRUE(FetchInfoPage(big5, big5Url));
    EXPECT_EQ(big5.Rating, u"◎IMDB評分　8.9/10 from 2,000,000 users"_s);
    EXPECT_TRUE(big5.Overview.contains(u"◎譯　　名　蝙蝠俠：黑暗騎士\n"_s));
    EXPECT_TRUE(big5.Overview.contains(u"這是一部關於英雄與城市的電影"_s));
}

TEST_F(FetchInfoPageTest, AnUndeclaredUtf8PageIsReadAsUtf8) {
    server.Serve(url, SampleInfoPage(QString()).toUtf8());
    ASSERT_TRUE(FetchInfoPage(record, url));
    EXPECT_EQ(record.Title, SamplePage::Title);
}

TEST_F(FetchInfoPageTest, FailedDownloadsLeaveTheRecordAndTheCopyAlone) {
    record.Title = u"kept"_s;
    folder.write(u"The.Dark.Knight.mkv.info.htm"_s, "earlier copy");
    server.Fail(url, 404);
    EXPECT_FALSE(FetchInfoPage(record, url));
    EXPECT_EQ(record.Title, u"kept"_s);
    EXPECT_TRUE(record.infourl.isEmpty());
    EXPECT_EQ(folder.read(u"The.Dark.Knight.mkv.info.htm"_s), QByteArray("earlier copy"));
    EXPECT_FALSE(QFile::exists(u"tempdown.html"_s));
}

TEST_F(FetchInfoPageTest, APageWithoutMainTextIsKeptButNotUsed) {
    const QByteArray thin = "<html><body><p>too short</p></body></html>";
    server.Serve(url, thin);
    record.Overview = u"earlier"_s;
    EXPECT_FALSE(FetchInfoPage(record, url));
    EXPECT_EQ(folder.read(u"The.Dark.Knight.mkv.info.htm"_s), thin);
    EXPECT_EQ(record.Overview, u"earlier"_s);
    EXPECT_TRUE(record.infourl.isEmpty());
    EXPECT_TRUE(record.picurl.isEmpty());
}

TEST_F(FetchInfoPageTest, AStopRequestLeavesTheRecordAlone) {
    server.Serve(url, EncodeAs(SampleInfoPage(u"gb2312"_s), "CP936"));
    std::atomic<bool> stop{true};
    EXPECT_FALSE(FetchInfoPage(record, url, &stop));
    EXPECT_TRUE(record.Title.isEmpty());
    EXPECT_FALSE(QFile::exists(record.FilePath + u".xml"_s));
}
