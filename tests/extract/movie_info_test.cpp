#include "extract/labelled_lines.h"
#include "extract/movie_info.h"

#include "tests/support/qt_printers.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString NoInformation = u"错误：没有找到资料。。。"_s;

LabelledLines Read(const QString& lines) {
    return ReadLabelledLines(lines.split(u'\n'));
}

} // namespace

TEST(ReadLabelledLines, SortsLinesIntoFieldsWholeAndTheRestIntoTheOverview) {
    const LabelledLines read = Read(u"◎译　　名　蝙蝠侠：黑暗骑士\n◎片　　名　The Dark Knight\n◎年　　代　2008\n"
                                    u"  ◎国　　家　美国  \n◎类　　别　动作 / 犯罪\nIMDB评分: 8.9/10\n\n"
                                    u"◎简　　介\n　　故事发生在哥谭市。"_s);
    EXPECT_TRUE(read.Labelled);
    EXPECT_EQ(read.Facts.Title, u"◎译　　名　蝙蝠侠：黑暗骑士"_s);
    EXPECT_EQ(read.Facts.OriginalTitle, u"◎片　　名　The Dark Knight"_s);
    EXPECT_EQ(read.Facts.Year, u"◎年　　代　2008"_s);
    EXPECT_EQ(read.Facts.Countries, u"◎国　　家　美国"_s);
    EXPECT_EQ(read.Facts.Genres, u"◎类　　别　动作 / 犯罪"_s);
    EXPECT_EQ(read.Facts.Rating, u"IMDB评分: 8.9/10"_s);
    EXPECT_EQ(read.Overview, (QStringList{u"◎简　　介"_s, u"故事发生在哥谭市。"_s}));
}

TEST(ReadLabelledLines, EndsAtTheDownloadSectionAndLeavesOutWhatIsNoData) {
    const struct {
        const char* name;
        QString lines;
        QStringList overview;
        QString year;
    } cases[] = {
        {"the download section after the data ends it",
         u"◎年　　代　2009\n下载地址：\nafter the downloads"_s,
         {},
         u"◎年　　代　2009"_s},
        {"a heading naming the downloads above the data is left out",
         u"某片迅雷下载地址和剧情：\n◎年　　代　2010\n◎下载地址　http://dl.example.com/\n◎简　　介\n故事。\n"
         u"【下载地址】\nftp://x"_s,
         {u"◎下载地址　http://dl.example.com/"_s, u"◎简　　介"_s, u"故事。"_s},
         u"◎年　　代　2010"_s},
        {"the posting date is left out",
         u"发布时间：2009-01-01\nkept\nalso kept"_s,
         {u"kept"_s, u"also kept"_s},
         QString()},
        {"prose about the title is no label",
         u"中文简介：一个故事\n片名的由来很长"_s,
         {u"中文简介：一个故事"_s, u"片名的由来很长"_s},
         QString()},
        {"a line of 255 characters or more is prose",
         u"片名"_s + QString(253, u'y'),
         {u"片名"_s + QString(253, u'y')},
         QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LabelledLines read = Read(c.lines);
        EXPECT_EQ(read.Overview, c.overview);
        EXPECT_EQ(read.Facts.Year, c.year);
    }
    EXPECT_EQ(Read(u"片名"_s + QString(252, u'x')).Facts.OriginalTitle, u"片名"_s + QString(252, u'x'));
}

TEST(ReadLabelledLines, AnAliasIsNeverTheTitle) {
    // Without a translated title the "片名" line is the title; an alias never is, nor the original title.
    LabelledLines read = Read(u"◎又　　名　Dead Hours\n◎片　　名　Kill Time\n◎别　　名　Time Kill"_s);
    EXPECT_EQ(read.Facts.Title, u"◎片　　名　Kill Time"_s);
    EXPECT_EQ(read.Facts.OriginalTitle, u"◎片　　名　Kill Time"_s);
    EXPECT_EQ(read.Overview, (QStringList{u"◎又　　名　Dead Hours"_s, u"◎别　　名　Time Kill"_s}));
    // Later lines win.
    read = Read(u"◎中文名 第一\n◎译名 第二\n◎又名 第三"_s);
    EXPECT_EQ(read.Facts.Title, u"◎译名 第二"_s);
}

TEST(ExtractMovieInfo, PutsWhatThePageShowsIntoTheRecordAndWritesNoFile) {
    TempFolder folder;
    MovieRecord record;
    record.FilePath = folder.file(u"Some.Film.mkv"_s);
    record.Genres = u"◎类别 earlier"_s;
    // A value broken by a source line feed is one line; entities are decoded everywhere.
    const QString page = u"<html><body><div id=\"Zoom\"><p><img src=\"/p.jpg\"><br>◎译　　名　Am&eacute;lie &amp; "
                         u"co<br>◎片　　名　Kill\n     Time<br>◎年　　代　2001<br>◎国　　家　法国<br>◎简　　介<br>"_s +
                         QString(u"一个巴黎女孩的故事。"_s).repeated(30) +
                         u"</p></div><a href=\"ftp://dl.example/a.mkv\">ftp</a></body></html>"_s;
    EXPECT_TRUE(ExtractMovieInfo(record, page, u"http://www.dl.example/html/1.html"_s));
    EXPECT_EQ(record.Title, u"◎译　　名　Amélie & co"_s);
    EXPECT_EQ(record.OriginalTitle, u"◎片　　名　Kill Time"_s);
    EXPECT_EQ(record.ProductionYear, u"◎年　　代　2001"_s);
    EXPECT_EQ(record.Genres, u"◎类别 earlier"_s); // no line for it: the earlier value stays
    EXPECT_TRUE(record.Overview.startsWith(u"◎简　　介\n一个巴黎女孩"_s)) << record.Overview.toStdString();
    EXPECT_EQ(record.picurl, u"http://www.dl.example/p.jpg`"_s);
    EXPECT_EQ(record.movieurl, u"ftp://dl.example/a.mkv`"_s);
    EXPECT_FALSE(QFile::exists(record.FilePath + u".xml"_s));

    // A page that gives nothing leaves the no-information text.
    EXPECT_FALSE(ExtractMovieInfo(record, u"<p>x</p>"_s));
    EXPECT_EQ(record.Overview, NoInformation);
}
