#include "extract/movie_info.h"

#include "tests/support/qt_printers.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString NoInformation = u"错误：没有找到资料。。。"_s;

class ExtractMovieInfoTest : public ::testing::Test {
protected:
    ExtractMovieInfoTest() { record.FilePath = folder.file(u"Some.Film.mkv"_s); }

    // The text FetchInfoPage hands over: the main text with its first character replaced by "<".
    void Extract(const QString& page) { EXPECT_TRUE(ExtractMovieInfo(record, page)); }

    TempFolder folder;
    MovieRecord record;
};

} // namespace

TEST_F(ExtractMovieInfoTest, LabelledLinesFillTheirFieldsWholeAndTheRestIsTheOverview) {
    Extract(u"<div>◎译　　名　蝙蝠侠：黑暗骑士<br />◎片　　名　The Dark Knight<br>◎年　　代　2008<br/>"
            u"◎国　　家　美国<BR>◎类　　别　动作 / 犯罪<br >IMDB评分: 8.9/10<BR/>"
            u"◎简　　介<br>　　故事发生在哥谭市。<br></div>"_s);
    EXPECT_EQ(record.Title, u"◎译　　名　蝙蝠侠：黑暗骑士"_s);
    EXPECT_EQ(record.OriginalTitle, u"◎片　　名　The Dark Knight"_s);
    EXPECT_EQ(record.ProductionYear, u"◎年　　代　2008"_s);
    EXPECT_EQ(record.CountryOfOrigin, u"◎国　　家　美国"_s);
    EXPECT_EQ(record.Genres, u"◎类　　别　动作 / 犯罪"_s);
    EXPECT_EQ(record.Rating, u"IMDB评分: 8.9/10"_s);
    EXPECT_EQ(record.Overview, u"◎简　　介\n故事发生在哥谭市。\n"_s);
    // Nothing is written: the lookup's result reaches the metadata file once, from the caller.
    EXPECT_FALSE(QFile::exists(record.FilePath + u".xml"_s));
}

TEST_F(ExtractMovieInfoTest, StopsAtTheDownloadSectionAfterTheDataAndDropsThePostingDate) {
    Extract(u"<p>◎国　　家　美国<br>◎年　　代　2009</p><p>下载地址</p><p>after the downloads</p>"_s);
    EXPECT_EQ(record.CountryOfOrigin, u"◎国　　家　美国"_s);
    EXPECT_EQ(record.ProductionYear, u"◎年　　代　2009"_s);
    EXPECT_EQ(record.Overview, NoInformation);

    // Only the line that names the downloads ends the data, not the lines before it.
    record.CountryOfOrigin.clear();
    Extract(u"<p>◎国　　家　美国<br>快车下载</p><p>later</p>"_s);
    EXPECT_EQ(record.CountryOfOrigin, u"◎国　　家　美国"_s);
    EXPECT_EQ(record.Overview, NoInformation);

    // A heading above the data that names the downloads is left out; a "◎" line that names the
    // site's download page is one of the data's lines.
    Extract(u"<div>某片迅雷下载地址和剧情：<br/><img src=\"p.jpg\"><br/>◎年　　代　2010<br/>"
            u"◎下载地址　<a href=\"http://dl.example.com/\">http://dl.example.com/</a><br/>◎简　　介<br/>"
            u"故事。<br/><strong>【下载地址】</strong><br/>ftp://x</div>"_s);
    EXPECT_EQ(record.ProductionYear, u"◎年　　代　2010"_s);
    EXPECT_EQ(record.Overview, u"◎下载地址　http://dl.example.com/\n◎简　　介\n故事。\n"_s);

    Extract(u"<p>发布时间：2009-01-01</p><p>kept</p><p>also kept</p>"_s);
    EXPECT_EQ(record.Overview, u"kept\nalso kept\n"_s);
}

TEST_F(ExtractMovieInfoTest, BlockElementsEndLinesAsLineBreaksDo) {
    // Any letter case, with attributes; other tags join their text.
    Extract(u"<DIV class=\"x\">◎片　　名　Heat</Div><p style=\"a\">◎年　　代　1995</P><li>◎产　　地　美国"
            u"<TR><td>◎类　　型　犯罪</td><br /><b>一</b><i>行</i><BR />二<Br>三</p>"_s);
    EXPECT_EQ(record.OriginalTitle, u"◎片　　名　Heat"_s);
    EXPECT_EQ(record.ProductionYear, u"◎年　　代　1995"_s);
    EXPECT_EQ(record.CountryOfOrigin, u"◎产　　地　美国"_s);
    EXPECT_EQ(record.Genres, u"◎类　　型　犯罪"_s);
    // No "译名" on the page: the "片名" line is its title too.
    EXPECT_EQ(record.Title, u"◎片　　名　Heat"_s);
    EXPECT_EQ(record.Overview, u"一行\n二\n三\n"_s);
    // A ">" inside a quoted attribute value does not end the tag.
    Extract(u"<p><img onclick=\"if(this.width>screen.width-461) window.open('x.jpg');\" src='a>b.jpg'>"
            u"◎国　　家　中国</p><p>plot</p>"_s);
    EXPECT_EQ(record.CountryOfOrigin, u"◎国　　家　中国"_s);
    EXPECT_EQ(record.Overview, u"plot\n"_s);
}

TEST_F(ExtractMovieInfoTest, OnlyTextBetweenTagsIsCollected) {
    Extract(u"before<b>one</b>two<i>three</i>after the last tag"_s);
    EXPECT_EQ(record.Overview, u"beforeonetwothree\n"_s);
    Extract(u"no tags at all"_s);
    EXPECT_EQ(record.Overview, NoInformation);
    Extract(QString());
    EXPECT_EQ(record.Overview, NoInformation);
    Extract(u"<p>unclosed<b"_s);
    EXPECT_EQ(record.Overview, u"unclosed\n"_s);
}

TEST_F(ExtractMovieInfoTest, LineFeedsAndCarriageReturnsShapeLines) {
    // CR LF pairs in the page source vanish; a lone line feed still ends a line.
    Extract(u"<p>◎国家 美国\r\n◎年代 2009\n◎类别 剧情</p>"_s);
    EXPECT_EQ(record.CountryOfOrigin, u"◎国家 美国◎年代 2009"_s);
    EXPECT_EQ(record.Genres, u"◎类别 剧情"_s);
    Extract(u"<p>a&nbsp;b<br>&nbsp;&nbsp;<br>c</p>"_s);
    EXPECT_EQ(record.Overview, u"a b\nc\n"_s);
}

TEST_F(ExtractMovieInfoTest, LongLinesAlwaysGoToTheOverview) {
    const QString label = u"片名"_s;
    const QString line254 = label + QString(252, u'x');
    Extract(u"<p>"_s + line254 + u"</p>"_s);
    EXPECT_EQ(record.OriginalTitle, line254);
    const QString line255 = label + QString(253, u'y');
    Extract(u"<p>"_s + line255 + u"</p>"_s);
    EXPECT_EQ(record.OriginalTitle, line254);
    EXPECT_EQ(record.Overview, line255 + u'\n');
}

TEST_F(ExtractMovieInfoTest, LaterLinesWinAndMissingLinesKeepEarlierValues) {
    record.Genres = u"◎类别 earlier"_s;
    Extract(u"<p>◎中文名 第一<br>◎译名 第二<br>中文简介：一个故事<br>片名的由来很长</p>"_s);
    EXPECT_EQ(record.Title, u"◎译名 第二"_s);
    EXPECT_EQ(record.Genres, u"◎类别 earlier"_s);
    EXPECT_EQ(record.Overview, u"中文简介：一个故事\n片名的由来很长\n"_s);
}

TEST_F(ExtractMovieInfoTest, OnlyTheOverviewIsEntityDecoded) {
    Extract(u"<p>◎片名 Am&eacute;lie &amp; co<br>Caf&eacute; &amp; &hellip;</p>"_s);
    EXPECT_EQ(record.OriginalTitle, u"◎片名 Am&eacute;lie &amp; co"_s);
    EXPECT_EQ(record.Overview, u"Café &amp; …\n"_s);
}

TEST_F(ExtractMovieInfoTest, HandlesALargePageInOnePass) {
    // Many small tags: collecting must not copy the rest of the page for every tag.
    QString page;
    for (int i = 0; i < 50000; ++i)
        page += u"<span>x</span>"_s;
    Extract(page);
    EXPECT_EQ(record.Overview.size(), 50000 + 1);
}
