#include "library/file_name.h"
#include "library/thumbnail.h"
#include "library/title.h"
#include "pages/card_marks.h"
#include "pages/escape.h"
#include "pages/wall_item.h"
#include "tests/support/byte_names.h"
#include "tests/support/poster_images.h"
#include "tests/support/temp_folder.h"

#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

MovieRecord Record(const QString& path) {
    MovieRecord record;
    record.FilePath = path;
    record.FileName = path.section(u'/', -1);
    record.DisplayTitle = record.FileName.section(u'.', 0, 0).toLower();
    record.SearchKey = path.toLower();
    return record;
}

void WritePicture(const TempFolder& folder, const QString& name, int width = 300, int height = 400) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    folder.mkdir(u"."_s);
    ASSERT_TRUE(image.save(folder.file(name), "JPG"));
}

// What the browser makes of an attribute value or text.
QString HtmlUnescape(QString text) {
    return text.replace(u"&lt;"_s, u"<"_s)
        .replace(u"&gt;"_s, u">"_s)
        .replace(u"&quot;"_s, u"\""_s)
        .replace(u"&#39;"_s, u"'"_s)
        .replace(u"&amp;"_s, u"&"_s);
}

// What the script makes of the contents of a string literal.
QString ScriptUnescape(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        const QChar c = text[++i];
        if (c == u'n')
            out += u'\n';
        else if (c == u'r')
            out += u'\r';
        else if (c == u'x')
            out += QChar(text.mid(i + 1, 2).toUShort(nullptr, 16)), i += 2;
        else if (c == u'u')
            out += QChar(text.mid(i + 1, 4).toUShort(nullptr, 16)), i += 4;
        else
            out += c;
    }
    return out;
}

// The pieces of an item as the browser sees them.
struct ParsedItem {
    QString detailPath;
    QStringList tooltip;
    QString imageSource;
    QString playPath;
    QString linkText;
    QString marks;
};

ParsedItem Parse(const QString& item) {
    static const QRegularExpression shape(
        uR"re(^<div class=d><a href='#' onclick="([^"]*)"  title='([^']*)'><img src='([^']*)' width=117 height=165 loading=lazy decoding=async onload='AutoResizeImage\(117,165,this\)'>((?:<span class=\w+(?: data-of=/\d+| title='[^']*')?>[^<]*</span>)*)</a><a href='#' class='s' onclick="([^"]*)" title='播放'>([^<>]*)</a></div>\n$)re"_s);
    const QRegularExpressionMatch match = shape.match(item);
    EXPECT_TRUE(match.hasMatch()) << item.toStdString();
    static const QRegularExpression call(
        uR"re(^javascript:external\.ExtCommand\((\d),"((?:[^"\\]|\\.)*)"\);(return false;)?$)re"_s);
    const QRegularExpressionMatch detail = call.match(HtmlUnescape(match.captured(1)));
    const QRegularExpressionMatch play = call.match(HtmlUnescape(match.captured(5)));
    EXPECT_TRUE(detail.hasMatch() && detail.captured(1) == u"1" && detail.captured(3).isEmpty());
    EXPECT_TRUE(play.hasMatch() && play.captured(1) == u"2" && !play.captured(3).isEmpty());
    return {ScriptUnescape(detail.captured(2)), HtmlUnescape(match.captured(2)).split(u'\n'),
            HtmlUnescape(match.captured(3)),    ScriptUnescape(play.captured(2)),
            HtmlUnescape(match.captured(6)),    match.captured(4)};
}

} // namespace

TEST(WallItem, MarkupPieceByPiece) {
    MovieRecord record = Record(u"/films/a.avi"_s);
    record.Title = u"阿凡达"_s;
    record.OriginalTitle = u"Avatar"_s;
    record.CountryOfOrigin = u"◎国　　家　美国"_s;
    record.ProductionYear = u"◎年　　代　2009"_s;
    record.Rating = u"8.8"_s;
    record.Genres = u"科幻"_s;
    record.DisplayTitle = u"a"_s;
    EXPECT_EQ(WallItemMarkup(record, u"/films/a.avi.thumb.jpg"_s),
              u"<div class=d><a href='#' onclick=\"javascript:external.ExtCommand(1,&quot;/films/a.avi&quot;);\"  "
              u"title='a.avi\n阿凡达\nAvatar\n美国\n2009\n8.8\n科幻'>"
              u"<img src='file:///films/a.avi.thumb.jpg' width=117 height=165 loading=lazy decoding=async "
              u"onload='AutoResizeImage(117,165,this)'><span class=rt data-of=/10>8.8</span>"
              u"</a><a href='#' class='s' onclick=\""
              u"javascript:external.ExtCommand(2,&quot;/films/a.avi&quot;);return false;\" title='播放'>"
              u"[美国2009]阿凡达</a></div>\n"_s);
}

TEST(WallItem, EmptyFieldsKeepSevenTooltipLinesAndNoBracket) {
    MovieRecord record = Record(u"/films/b.mkv"_s);
    record.CountryOfOrigin = u"◎国　　家"_s;
    EXPECT_EQ(BracketText(record), QString());
    const ParsedItem item = Parse(WallItemMarkup(record, QString()));
    EXPECT_EQ(item.tooltip, (QStringList{u"b.mkv"_s, {}, {}, {}, {}, {}, {}}));
    EXPECT_EQ(item.linkText, u"b"_s);
    EXPECT_EQ(item.imageSource, QString());
}

TEST(WallItem, MarksAndTitleOfTheCard) {
    struct Case {
        QString title, rating, watched, overview;
        QString linkText, marks;
    };
    const QString rated = u"<span class=rt data-of=/%2>%1</span>"_s;
    const QString watched = u"<span class=wt>&#10003;</span>"_s;
    const QString notFound = u"<span class=nf title='网上没有找到这部影片的信息'>未找到</span>"_s;
    const Case cases[] = {
        // Waiting for its lookup: the file name's title, no mark.
        {{}, {}, {}, {}, u"file title"_s, {}},
        {{}, {}, {}, u"错误：提取不到信息"_s, u"file title"_s, notFound},
        {{}, {}, {}, u"错误：搜索不到相关信息"_s, u"file title"_s, notFound},
        {u"◎译　　名　盗梦空间/潜行凶间/全面启动"_s,
         u"◎IMDb评分　8.8/10 from 2,000,000 users"_s,
         {},
         u"text"_s,
         u"盗梦空间"_s,
         rated.arg(u"8.8"_s, u"10"_s)},
        {u"黑暗骑士"_s, u"豆瓣评分 4.5 / 5"_s, u"是"_s, u"text"_s, u"黑暗骑士"_s,
         rated.arg(u"4.5"_s, u"5"_s) + watched},
        {u"AC/DC: Let There Be Rock / 摇滚万岁"_s, {}, {}, u"text"_s, u"AC/DC: Let There Be Rock"_s, {}},
        {{}, u"86"_s, u"1"_s, {}, u"file title"_s, rated.arg(u"86"_s, u"100"_s) + watched},
        // No number, a number above its scale, a "no": no mark.
        {{}, u"暂无评分"_s, u"否"_s, {}, u"file title"_s, {}},
        {{}, u"12/10"_s, u"0"_s, {}, u"file title"_s, {}},
    };
    for (const Case& c : cases) {
        MovieRecord record = Record(u"/films/file title.avi"_s);
        record.DisplayTitle = u"file title"_s;
        record.Title = c.title;
        record.Rating = c.rating;
        record.watched = c.watched;
        record.Overview = c.overview;
        const ParsedItem item = Parse(WallItemMarkup(record, QString()));
        EXPECT_EQ(item.linkText, c.linkText) << c.title.toStdString();
        EXPECT_EQ(item.marks, c.marks) << c.rating.toStdString() << " " << c.watched.toStdString();
    }
    EXPECT_DOUBLE_EQ(ReadRating(u"4.5/5"_s).Normalised, 9.0);
    EXPECT_DOUBLE_EQ(ReadRating(u"86"_s).Normalised, 8.6);
}

TEST(WallItem, BracketTextFromCleanedValues) {
    MovieRecord record;
    record.ProductionYear = u"2009"_s;
    EXPECT_EQ(BracketText(record), u"[2009]"_s);
    record.CountryOfOrigin = u"美国"_s;
    EXPECT_EQ(BracketText(record), u"[美国2009]"_s);
    // A list of countries shows its first, however it is written.
    record.ProductionYear = u"◎年　　代　2008"_s;
    for (const QString& countries : {u"美国/英国"_s, u"◎产　　地　美国 / 英国"_s, u"美国，英国"_s}) {
        record.CountryOfOrigin = countries;
        EXPECT_EQ(BracketText(record), u"[美国2008]"_s) << countries.toStdString();
    }
}

TEST(WallItem, HostileValuesDisplayExactlyAndPathsReachTheCommandUnchanged) {
    const QStringList paths = {
        u"d:\\films\\a.avi"_s,
        u"/films/it's \"quoted\" & <b>bold</b>.avi"_s,
        u"/films/a#b%20c?d=e.avi"_s,
        u"/films/\\\";alert(1);//.avi"_s,
        u"/films/&quot;');x.avi"_s,
        u"/films/line\nbreak\u2028.avi"_s,
        u"/films/</script><script>alert(1)</script>.avi"_s,
    };
    for (const QString& path : paths) {
        MovieRecord record = Record(path);
        record.Title = u"O'Brien's \"<i>Day</i>\" & night"_s;
        record.OriginalTitle = u"' onmouseover='alert(1)"_s;
        record.Genres = u"100% <drama>"_s;
        record.CountryOfOrigin = u"<img src=x onerror=alert(1)>"_s;
        record.DisplayTitle = u"</a><script>alert(1)</script>"_s;
        const ParsedItem item = Parse(WallItemMarkup(record, path + u".thumb.jpg"_s));
        EXPECT_EQ(item.detailPath, path);
        EXPECT_EQ(item.playPath, path);
        EXPECT_EQ(item.tooltip.join(u'\n'), QStringList({record.FileName, record.Title, record.OriginalTitle,
                                                         record.CountryOfOrigin, QString(), QString(), record.Genres})
                                                .join(u'\n'));
        EXPECT_EQ(item.linkText, BracketText(record) + CardTitle(record));
        EXPECT_EQ(item.imageSource, FileUrl(path + u".thumb.jpg"_s));
    }
}

TEST(WallItem, BackslashesAreDoubledInBothScriptCalls) {
    const QString item = WallItemMarkup(Record(u"d:\\films\\a.avi"_s), QString());
    EXPECT_EQ(item.count(u"ExtCommand(1,&quot;d:\\\\films\\\\a.avi&quot;)"_s), 1);
    EXPECT_EQ(item.count(u"ExtCommand(2,&quot;d:\\\\films\\\\a.avi&quot;)"_s), 1);
}

TEST(WallItem, PictureSourcesAreEncodedFileUrls) {
    const ParsedItem item = Parse(WallItemMarkup(Record(u"/a/x.avi"_s), u"/films/#1 100% 'x'?.thumb.jpg"_s));
    EXPECT_EQ(item.imageSource, u"file:///films/%231%20100%25%20'x'%3F.thumb.jpg"_s);
}

TEST(WallItem, PictureSourcesMatchFileUrlForAnyCharacter) {
    QStringList paths = {u"/films/The Movie (2009) [1080p] {x} |a| ^b^ `c` 100%% \"q\" <t> #1 ?.thumb.jpg"_s,
                         u"/影片/阿凡达 Ünïcödé \U0001F3AC.thumb.jpg"_s,
                         u"//nas/video/a.thumb.jpg"_s,
                         u"relative/a.jpg"_s,
                         u"/a/\\b\tc\nd.jpg"_s,
                         u"/lone/"_s + QChar(0xD800) + u".jpg"_s};
    QString everyAscii = u"/"_s;
    for (char16_t c = 1; c < 128; ++c)
        everyAscii += QChar(c);
    paths << everyAscii;
    for (const QString& path : paths)
        EXPECT_EQ(Parse(WallItemMarkup(Record(u"/a/x.avi"_s), path)).imageSource, FileUrl(path)) << path.toStdString();
}

TEST(WallItem, GbkNamesShowAsTextAndReachTheirFilesByTheirBytes) {
    TempFolder folder;
    const QByteArray root = QFile::encodeName(folder.path()) + '/' + GbkFolderName;
    const QByteArray video = root + '/' + GbkVideoName;
    ASSERT_TRUE(MakeFolderAt(root));
    ASSERT_TRUE(WriteFileAt(video + ".jpg", NoisyJpeg(200, 300)));
    MovieRecord record;
    record.FilePath = DecodeFileName(video);
    record.FileName = DecodeFileName(GbkVideoName);
    record.DisplayTitle = TitleFromFileName(ReadableFileName(record.FileName));
    record.FolderVideoCount = 3; // a shared folder: the movie's own poster, when it exists
    EXPECT_EQ(WallPicture(record), record.FilePath + u".jpg"_s);
    const QString thumbnail = WallThumbnail(record);
    EXPECT_EQ(EncodeFileName(thumbnail), video + ".thumb.jpg");
    EXPECT_TRUE(ReadFileAt(video + ".thumb.jpg").has_value());

    const QString markup = MakeWallItem(record);
    // Nothing in the page is lost when it is written as UTF-8.
    EXPECT_EQ(QString::fromUtf8(markup.toUtf8()), markup);
    const ParsedItem item = Parse(markup);
    EXPECT_EQ(item.detailPath, record.FilePath);
    EXPECT_EQ(item.playPath, record.FilePath);
    EXPECT_EQ(item.tooltip.value(0), u"盗梦空间.2010.mkv"_s);
    EXPECT_EQ(item.linkText, u"盗梦空间 2010"_s);
    const QString encodedRoot = QString::fromLatin1(QFile::encodeName(folder.path()).toPercentEncoding("/"));
    EXPECT_EQ(item.imageSource,
              u"file://"_s + encodedRoot + u"/%B5%E7%D3%B0/%B5%C1%C3%CE%BF%D5%BC%E4.2010.mkv.thumb.jpg"_s);
    EXPECT_EQ(FileUrl(thumbnail), item.imageSource);
}

TEST(WallItem, ImageChoice) {
    TempFolder folder;
    WritePicture(folder, u"cover.jpg"_s);
    WritePicture(folder, u"a.avi.jpg"_s);
    MovieRecord record = Record(folder.file(u"a.avi"_s));
    record.FolderImage = folder.file(u"cover.jpg"_s);

    // Alone in its folder: the folder image, even when the movie's own poster exists; the poster only
    // when the scan found no picture there (it was downloaded since).
    record.FolderVideoCount = 1;
    EXPECT_EQ(WallPicture(record), folder.file(u"cover.jpg"_s));
    record.FolderImage.clear();
    EXPECT_EQ(WallPicture(record), folder.file(u"a.avi.jpg"_s));
    EXPECT_EQ(Parse(MakeWallItem(record)).imageSource, FileUrl(folder.file(u"a.avi.thumb.jpg"_s)));
    QFile::remove(folder.file(u"a.avi.thumb.jpg"_s));
    MovieRecord lone = Record(folder.file(u"c.avi"_s));
    lone.FolderVideoCount = 1;
    EXPECT_EQ(Parse(MakeWallItem(lone)).imageSource, QString());
    record.FolderImage = folder.file(u"cover.jpg"_s);

    // Shared folder: the poster when it exists.
    record.FolderVideoCount = 3;
    record.FolderImageCount = 2;
    EXPECT_EQ(WallPicture(record), folder.file(u"a.avi.jpg"_s));
    EXPECT_EQ(Parse(MakeWallItem(record)).imageSource, FileUrl(folder.file(u"a.avi.thumb.jpg"_s)));
    EXPECT_TRUE(QFile::exists(folder.file(u"a.avi.thumb.jpg"_s)));

    // Shared folder, poster missing: the folder image's thumbnail.
    MovieRecord other = record;
    other.FilePath = folder.file(u"b.avi"_s);
    EXPECT_EQ(Parse(MakeWallItem(other)).imageSource, FileUrl(folder.file(u"cover.thumb.jpg"_s)));

    // Crowded folder, poster missing: no picture until the poster comes.
    other.FolderVideoCount = 12;
    EXPECT_EQ(WallPicture(other), folder.file(u"b.avi.jpg"_s));
    EXPECT_EQ(Parse(MakeWallItem(other)).imageSource, QString());
    other.FolderVideoCount = 3;
    other.FolderImageCount = 21;
    EXPECT_EQ(Parse(MakeWallItem(other)).imageSource, QString());
    other.FolderImageCount = 20;
    EXPECT_EQ(WallPicture(other), folder.file(u"cover.jpg"_s));
}
