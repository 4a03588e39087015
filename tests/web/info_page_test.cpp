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

// `before` characters of markup, a block of `length` visible characters, then markup up to `total`.
QString PageWithBlock(qsizetype before, qsizetype length, qsizetype total) {
    QString page = QString(before, u' ');
    page += QString(length, u'x');
    page += QString(total - before - length, u' ');
    return page;
}

} // namespace

TEST(LocateMainText, NeedsAtLeast410CharactersAndSomeDenseText) {
    const QString dense(409, u'x');
    EXPECT_FALSE(LocateMainText(dense).Found);
    EXPECT_FALSE(LocateMainText(QString(410, u' ')).Found);
    EXPECT_FALSE(LocateMainText(QString()).Found);
    const MainTextRegion none = LocateMainText(u"<p>"_s + QString(500, u' ') + u"</p>"_s);
    EXPECT_EQ(none.Start, 0);
    EXPECT_EQ(none.Length, 0);
}

TEST(LocateMainText, ARegionRunsFromTheRiseTo50ToTheFallBelow50) {
    // The density at i counts positions i - 200 to i + 199: it reaches 50 at 150 positions before the
    // block and drops below 50 at 1151 positions after its start.
    const MainTextRegion region = LocateMainText(PageWithBlock(1000, 1000, 3000));
    ASSERT_TRUE(region.Found);
    EXPECT_EQ(region.Start, 1000 - 150);
    EXPECT_EQ(region.Length, 1151 + 150);
}

TEST(LocateMainText, TheLongestRegionWinsAndTheEarlierOneOnATie) {
    QString page = PageWithBlock(1000, 600, 2500) + PageWithBlock(1000, 800, 2500);
    MainTextRegion region = LocateMainText(page);
    ASSERT_TRUE(region.Found);
    EXPECT_EQ(region.Start, 2500 + 1000 - 150);

    page = PageWithBlock(1000, 800, 2500) + PageWithBlock(1000, 600, 2500);
    EXPECT_EQ(LocateMainText(page).Start, 1000 - 150);

    page = PageWithBlock(1000, 700, 2500) + PageWithBlock(1000, 700, 2500);
    EXPECT_EQ(LocateMainText(page).Start, 1000 - 150);
}

TEST(LocateMainText, ThinTextIsNotAMainText) {
    // 150 visible characters never make a density above 200, though they pass 50.
    EXPECT_FALSE(LocateMainText(PageWithBlock(1000, 150, 3000)).Found);
    // Sparse text: one visible character in four reaches at most 100.
    QString sparse(2000, u' ');
    for (qsizetype i = 500; i < 1500; i += 4)
        sparse[i] = u'x';
    EXPECT_FALSE(LocateMainText(sparse).Found);
}

TEST(LocateMainText, DenseTextAtTheEdgesHasNoRiseOrNoFall) {
    // Dense from the start: no rise before the fall. Dense to the end: no fall.
    EXPECT_FALSE(LocateMainText(PageWithBlock(0, 1000, 3000)).Found);
    EXPECT_FALSE(LocateMainText(PageWithBlock(2000, 1000, 3000)).Found);
}

TEST(LocateMainText, TagsScriptsBlanksAndTheHeadAreNotText) {
    const QString text(1000, u'x');
    const QString blanks(1000, u' ');
    EXPECT_FALSE(LocateMainText(blanks + u"<div title=\""_s + text + u"\">"_s + blanks).Found);
    EXPECT_FALSE(LocateMainText(blanks + u"<script>"_s + text + u"</script>"_s + blanks).Found);
    EXPECT_FALSE(
        LocateMainText(blanks + u"<SCRIPT type=\"text/javascript\">"_s + text + u"</Script>"_s + blanks).Found);
    // Text before the body belongs to the head; found also when written in capitals.
    EXPECT_FALSE(LocateMainText(blanks + text + u"<BODY>"_s + blanks).Found);
    EXPECT_FALSE(LocateMainText(blanks + QString(1000, u'\t') + QString(1000, u'\n') + QString(1000, u'\r')).Found);
    // A "<" or ">" inside a script does not open or close a tag of the page.
    const MainTextRegion region =
        LocateMainText(blanks + u"<script>if (a < b) {}</script>"_s + PageWithBlock(500, 1000, 2000));
    ASSERT_TRUE(region.Found);
    EXPECT_EQ(region.Start, 1000 + 30 + 500 - 150);
}

TEST(LocateMainText, PositionsAreThoseOfThePageWhateverItsLetters) {
    // Characters whose lower case is longer than themselves must not shift the positions.
    const QString head = u"<html><head><title>"_s + QString(300, QChar(0x0130)) + u"</title></head><BODY>"_s;
    const QString page = head + PageWithBlock(1000, 1000, 3000);
    const MainTextRegion region = LocateMainText(page);
    ASSERT_TRUE(region.Found);
    EXPECT_EQ(region.Start, head.size() + 1000 - 150);
}

TEST(LocateMainText, TheHeadAndLinkTextAreNoMainText) {
    const QString text(1000, u'x');
    const QString blanks(1000, u' ');
    // A script in the head, before the body.
    EXPECT_FALSE(
        LocateMainText(u"<html><head><script>"_s + text + u"</script></head><body>"_s + blanks + blanks).Found);
    // Lists of links, whatever the letter case of their tags.
    QString links;
    for (int i = 0; i < 40; ++i)
        links += (i % 2 ? u"<A HREF='/m/%1.html'>"_s : u"<a href=\"/m/%1.html\">"_s).arg(i) + QString(30, u'x') +
                 (i % 2 ? u"</A><BR>"_s : u"</a><br/>"_s);
    EXPECT_FALSE(LocateMainText(blanks + links + blanks).Found);
    // A quoted ">" does not end a tag early.
    EXPECT_FALSE(LocateMainText(blanks + u"<img onclick=\"if(a>b)"_s + text + u"\">"_s + blanks).Found);
}

TEST(LocateMainText, ABlockOfLabelledLinesWinsOverLongerProseFromItsFirstLine) {
    QString labelled;
    while (labelled.size() < 700)
        labelled += u"◎国　　家　美国<br/>"_s;
    // The first labelled line stands alone among thin markup, where the density has not risen yet.
    const QString page = PageWithBlock(1000, 1500, 3000) + u"<p>"_s + QString(150, u' ') + u"◎年　　代　2008<br/>"_s +
                         QString(150, u' ') + labelled + QString(1000, u' ');
    const MainTextRegion region = LocateMainText(page);
    ASSERT_TRUE(region.Found);
    EXPECT_EQ(region.Start, 3000);
    EXPECT_TRUE(page.mid(region.Start, region.Length).contains(labelled));
}

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
    // Links and pictures come from the whole page, also from outside the main text.
    EXPECT_EQ(record.movieurl, SamplePage::FtpLinks);
    EXPECT_EQ(record.picurl, SamplePage::Pictures);

    EXPECT_EQ(folder.read(u"The.Dark.Knight.mkv.info.htm"_s), bytes);
    EXPECT_FALSE(QFile::exists(record.FilePath + u".xml"_s)); // the caller stores the result, once
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

TEST_F(FetchInfoPageTest, AnUndeclaredUtf8PageIsReadInTheAnsiCodePage) {
    server.Serve(url, SampleInfoPage(QString()).toUtf8());
    ASSERT_TRUE(FetchInfoPage(record, url));
    EXPECT_NE(record.Title, SamplePage::Title);
    EXPECT_FALSE(record.Overview.contains(u"这是一部"_s));
    // ASCII survives any of these code pages.
    EXPECT_EQ(record.picurl, SamplePage::Pictures);
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
