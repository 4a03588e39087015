#include "pages/builtin_texts.h"
#include "pages/detail_page.h"
#include "pages/overview_rows.h"
#include "pages/text_codec.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Slots a template leaves for values ("%s" not preceded by another percent sign).
int SlotCount(const QString& format) {
    int slots = 0;
    for (qsizetype i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != u'%')
            continue;
        if (format[i + 1] == u's')
            ++slots;
        ++i; // "%%" and "%s" both take two characters
    }
    return slots;
}

MovieRecord Movie(const TempFolder& folder, const QString& relative) {
    MovieRecord movie;
    movie.FilePath = folder.file(relative);
    movie.FileName = QFileInfo(movie.FilePath).fileName();
    movie.Folder = QFileInfo(movie.FilePath).path();
    movie.DisplayTitle = movie.FileName.section(u'.', 0, 0).toLower();
    movie.SearchKey = movie.FilePath.toLower();
    movie.FolderVideoCount = 1;
    return movie;
}

QSet<QString> Names(const QStringList& paths) {
    QSet<QString> names;
    for (const QString& path : paths)
        names.insert(QFileInfo(path).fileName());
    return names;
}

QString ReadPage(const TempFolder& folder) {
    return QString::fromUtf8(folder.read(u"detail.html"_s));
}

} // namespace

TEST(DetailTemplates, TakeTheirValuesInTheirSlots) {
    EXPECT_EQ(SlotCount(DecodeText(DetailHeaderTemplate)), 4);
    EXPECT_EQ(SlotCount(DecodeText(DetailBodyTemplate)), 11);
    EXPECT_EQ(SlotCount(DecodeText(EditFormTemplate)), 12);
}

TEST(DetailPictures, AFolderOfOneOrTwoVideosShowsEveryPictureOfTheFolder) {
    TempFolder folder;
    for (const QString& name :
         {u"a.mkv.jpg"_s, u"a.mkv.1.jpg"_s, u"cover.JPG"_s, u"b.mkv"_s, u"b.mkv.jpg"_s, u"B.MKV.2.jpg"_s,
          u"a.mkv.thumb.jpg"_s, u"cover.thumb.jpg"_s, u"notes.txt"_s, u"still.jpeg"_s, u"gone.mkv.jpg"_s})
        folder.write(u"films/"_s + name, "x");
    folder.mkdir(u"films/sub.jpg"_s);
    MovieRecord movie = Movie(folder, u"films/a.mkv"_s);
    movie.FolderVideoCount = 2;
    movie.FolderImageCount = 6;
    // The poster first; the other video's posters are its own, not this movie's.
    QStringList names;
    for (const QString& path : DetailPictures(movie))
        names << QFileInfo(path).fileName();
    EXPECT_EQ(names, (QStringList{u"a.mkv.jpg"_s, u"a.mkv.1.jpg"_s, u"cover.JPG"_s, u"gone.mkv.jpg"_s}));

    // No counted image: only the movie's own posters, even in a small folder.
    movie.FolderImageCount = 0;
    EXPECT_EQ(Names(DetailPictures(movie)), (QSet<QString>{u"a.mkv.jpg"_s, u"a.mkv.1.jpg"_s}));
}

TEST(DetailPictures, ASharedFolderShowsOnlyTheMoviesOwnPosters) {
    TempFolder folder;
    for (const QString& name : {u"Movie.mkv.jpg"_s, u"Movie.mkv.1.jpg"_s, u"Movie.mkv.2.JPG"_s,
                                u"Movie.mkv.thumb.jpg"_s, u"Other.mkv.jpg"_s, u"cover.jpg"_s, u"Movie.mkv.xml"_s})
        folder.write(u"films/"_s + name, "x");
    MovieRecord movie = Movie(folder, u"films/Movie.mkv"_s);
    movie.FolderVideoCount = 3;
    movie.FolderImageCount = 5;
    EXPECT_EQ(Names(DetailPictures(movie)),
              (QSet<QString>{u"Movie.mkv.jpg"_s, u"Movie.mkv.1.jpg"_s, u"Movie.mkv.2.JPG"_s}));
}

// Every picture the folder holds, hidden ones too (the scan counts them), reaches the page as a file
// URL that the browser reads back as its path, whatever the name holds.
TEST(DetailPictures, EveryPictureIsListedUnderAnAttributeSafeUrl) {
    TempFolder folder;
    const QStringList names = {u".hidden.jpg"_s, u"a&copy;.jpg"_s, u"b#1.jpg"_s,
                               u"c%41.jpg"_s,    u"d\"q'.jpg"_s,   u"E&amp;.JPG"_s};
    for (const QString& name : names)
        folder.write(u"films/"_s + name, "x");
    MovieRecord movie = Movie(folder, u"films/a.mkv"_s);
    movie.FolderImageCount = static_cast<int>(names.size());
    QStringList expected;
    for (const QString& name : names)
        expected << folder.file(u"films/"_s + name);
    EXPECT_EQ(DetailPictures(movie), expected) << "listed in name order";

    ASSERT_FALSE(BuildDetailPage(*std::make_shared<MovieLibrary>(), movie, QString(), DetailView).isEmpty());
    QStringList shown;
    const QRegularExpression image(u"<img class=\\w+ src=\"([^\"]*)\""_s);
    for (const QRegularExpressionMatch& match : image.globalMatch(ReadPage(folder))) {
        QString src = match.captured(1);
        EXPECT_FALSE(src.contains(QRegularExpression(u"&(?!amp;|quot;|#39;|lt;|gt;)"_s))) << src.toStdString();
        src.replace(u"&quot;"_s, u"\""_s).replace(u"&#39;"_s, u"'"_s).replace(u"&lt;"_s, u"<"_s);
        src.replace(u"&gt;"_s, u">"_s).replace(u"&amp;"_s, u"&"_s);
        shown << QUrl(src).toLocalFile();
    }
    EXPECT_EQ(shown, expected);
}

TEST(ShowDetail, DetailViewShowsTheMovieEscapedWithItsPicturesAndRelatedTitles) {
    TempFolder folder;
    MovieLibrary library;
    MovieRecord movie = Movie(folder, u"films/Heat #1.mkv"_s);
    movie.Title = u"<b>Heat</b> & \"friends\""_s;
    movie.Overview = u"line one\nline two"_s;
    movie.Notes = u"watch with 'Tom'"_s;
    folder.write(u"films/Heat #1.mkv.jpg"_s, "x");
    library.Movies = {movie, Movie(folder, u"other/heat.mkv"_s), Movie(folder, u"third/zzz.mkv"_s)};

    const QString path = ShowDetail(library, movie.FilePath, DetailView);
    ASSERT_EQ(path, folder.file(u"detail.html"_s));
    const QString page = ReadPage(folder);
    EXPECT_TRUE(page.contains(u"&lt;b&gt;Heat&lt;/b&gt; &amp; &quot;friends&quot;"_s));
    EXPECT_FALSE(page.contains(u"<b>Heat</b>"_s));
    EXPECT_TRUE(page.contains(u"<p>line one</p><p>line two</p>"_s));
    EXPECT_TRUE(page.contains(u"watch with &#39;Tom&#39;"_s));
    EXPECT_TRUE(page.contains(u"ExtCommand(7,"_s));
    // The picture is referenced by a file URL that survives the "#" in its name.
    EXPECT_TRUE(page.contains(
        u"<img class=poster src=\""_s +
        QUrl::fromLocalFile(folder.file(u"films/Heat #1.mkv.jpg"_s)).toString(QUrl::FullyEncoded) + u'"'));
    // Both "heat" movies are related; the third is not.
    EXPECT_TRUE(page.contains(u"heat.mkv"_s));
    EXPECT_FALSE(page.contains(u"zzz.mkv"_s));
    EXPECT_EQ(page.count(u"<div class=d>"_s), 2);
}

TEST(ShowDetail, EditFormHoldsTheStoredValuesAndNoRelatedTitles) {
    TempFolder folder;
    MovieLibrary library;
    MovieRecord movie = Movie(folder, u"films/heat.mkv"_s);
    movie.Overview = u"line one\nline two & <more>"_s;
    library.Movies = {movie, Movie(folder, u"other/heat.mkv"_s)};

    ASSERT_FALSE(ShowDetail(library, movie.FilePath, EditForm).isEmpty());
    const QString page = ReadPage(folder);
    EXPECT_TRUE(page.contains(u"line one\nline two &amp; &lt;more&gt;</textarea>"_s));
    EXPECT_FALSE(page.contains(u"<div class=d>"_s));
    EXPECT_TRUE(page.contains(u"value=\""_s + movie.FilePath + u'"'));
    EXPECT_TRUE(page.contains(u"ExtCommand(5,"_s));
}

TEST(ShowDetail, AnUnknownPathWritesNothing) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(folder, u"films/heat.mkv"_s)};
    EXPECT_TRUE(ShowDetail(library, folder.file(u"films/HEAT.mkv"_s), DetailView).isEmpty());
    EXPECT_TRUE(ShowDetail(library, QString(), EditForm).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"detail.html"_s)));
}

TEST(BuildDetailPage, APageThatCannotBeWrittenGivesAnEmptyPath) {
    TempFolder folder;
    MovieLibrary library;
    folder.mkdir(u"detail.html"_s); // a folder where the page should go
    EXPECT_TRUE(BuildDetailPage(library, Movie(folder, u"films/heat.mkv"_s), QString(), DetailView).isEmpty());
}

TEST(BuildDetailPage, TwoThreadsWritingThePageNeverLeaveAMixture) {
    TempFolder folder;
    MovieLibrary library;
    MovieRecord a = Movie(folder, u"films/a.mkv"_s);
    a.Overview = QString(20000, u'a');
    MovieRecord b = Movie(folder, u"films/b.mkv"_s);
    b.Overview = QString(20000, u'b');
    ASSERT_FALSE(BuildDetailPage(library, a, QString(), DetailView).isEmpty());
    const QByteArray pageA = folder.read(u"detail.html"_s);
    ASSERT_FALSE(BuildDetailPage(library, b, QString(), DetailView).isEmpty());
    const QByteArray pageB = folder.read(u"detail.html"_s);

    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 100; ++i)
            BuildDetailPage(library, a, QString(), DetailView);
        done = true;
    });
    int reads = 0;
    bool mixed = false;
    while (!done) {
        for (int i = 0; i < 5; ++i)
            BuildDetailPage(library, b, QString(), DetailView);
        const QByteArray seen = folder.read(u"detail.html"_s);
        mixed = mixed || (seen != pageA && seen != pageB);
        ++reads;
    }
    writer.join();
    EXPECT_FALSE(mixed);
    EXPECT_GT(reads, 0);
}

TEST(FilmPage, HeadingPicturesPlotFirstAndRows) {
    TempFolder folder;
    MovieLibrary library;
    MovieRecord movie = Movie(folder, u"films/[阳光电影www.ygdy8.com].军情五处.BD.720p.mkv"_s);
    movie.FolderVideoCount = 3;
    movie.Title = u"◎译　　名　军情五处：利益之争/军情五处"_s;
    movie.OriginalTitle = u"◎片　　名　Spooks: The Greater Good"_s;
    movie.ProductionYear = u"◎年　　代　2015"_s;
    // As a download site's page leaves it: facts, a cast over several lines, then the plot.
    movie.Overview =
        u"◎语　　言　英语\n◎字　　幕　中英双字幕\n◎文件格式　x264 + aac\n◎视频尺寸　1280 x 720\n"
        u"◎片　　长　104分钟\n◎导　　演　巴拉特·纳鲁里 Bharat Nalluri\n◎主　　演　基特·哈灵顿 Kit Harington\n"
        u"彼特·菲尔斯 Peter Firth\n詹妮弗·艾莉 Jennifer Ehle\n伊莱沙·卡斯 Elyes Gabel\n"
        u"蒂姆·麦克英尼 Tim McInnerny\n艾莉芙·伊斯利 Eleanor Matsuura\n◎简　　介\n"
        u"军情五处反恐部门负责人哈利在一次押解中让恐怖分子逃脱，他被迫下台。\n"
        u"一年后，他找到昔日的手下威尔。"_s;
    for (const QString& name :
         QStringList{movie.FileName + u".1.jpg"_s, movie.FileName + u".jpg"_s, movie.FileName + u".2.jpg"_s})
        folder.write(u"films/"_s + name, "x");
    library.Movies = {movie};
    ASSERT_FALSE(ShowDetail(library, movie.FilePath, DetailView).isEmpty());
    const QString page = ReadPage(folder);

    // The heading is the looked-up title; original title and year under it; the file name quieter.
    EXPECT_TRUE(page.contains(u"<h2 class=\"title\">军情五处：利益之争</h2>"_s));
    EXPECT_TRUE(page.contains(u"<div class=\"original\">Spooks: The Greater Good · 2015</div>"_s));
    EXPECT_TRUE(page.contains(u"<h1>[阳光电影www.ygdy8.com].军情五处.BD.720p.mkv</h1>"_s));
    // The poster first, the stills after it in a row.
    const qsizetype poster = page.indexOf(u"class=poster src=\""_s);
    ASSERT_GE(poster, 0);
    EXPECT_TRUE(page.mid(poster, 400).contains(u".720p.mkv.jpg\""_s));
    EXPECT_EQ(page.count(u"class=still "_s), 2);
    EXPECT_LT(page.indexOf(u".720p.mkv.1.jpg"_s), page.indexOf(u".720p.mkv.2.jpg"_s));
    // The plot as prose, before the labelled rows; the cast as five names and a link to all.
    const qsizetype plot = page.indexOf(u"<p>军情五处反恐部门负责人"_s);
    ASSERT_GE(plot, 0);
    EXPECT_LT(plot, page.indexOf(u"<tr><th>语言</th><td>英语</td></tr>"_s));
    EXPECT_TRUE(page.contains(u"<p>一年后，他找到昔日的手下威尔。</p>"_s));
    for (const QString& row :
         {u"<tr><th>字幕</th><td>中英双字幕</td></tr>"_s, u"<tr><th>片长</th><td>104分钟</td></tr>"_s,
          u"<tr><th>文件格式</th><td>x264 + aac</td></tr>"_s,
          u"<tr><th>导演</th><td>巴拉特·纳鲁里 Bharat Nalluri</td></tr>"_s})
        EXPECT_TRUE(page.contains(row)) << row.toStdString();
    EXPECT_TRUE(
        page.contains(u"蒂姆·麦克英尼 Tim McInnerny<span class=rest> / 艾莉芙·伊斯利 Eleanor Matsuura</span>"_s));
    EXPECT_TRUE(page.contains(u">全部 6 人</a>"_s));
    EXPECT_FALSE(page.contains(u"◎"_s));

    // A database page's "label: value" lines, a plot first, the plot label's own text.
    const OverviewParts parts = SplitOverview(
        u"一个关于梦的故事。\n导演: 克里斯托弗·诺兰\n编剧: 克里斯托弗·诺兰\n主演: 莱昂纳多 / 渡边谦 / 约瑟夫\n"
        u"上映日期: 2010-09-01(中国大陆)\nIMDb: tt1375666\n剧情简介：道姆·柯布与同事潜入他人梦境。"_s);
    EXPECT_EQ(parts.Plot, (QStringList{u"一个关于梦的故事。"_s, u"道姆·柯布与同事潜入他人梦境。"_s}));
    QStringList rows;
    for (const OverviewRow& row : parts.Rows)
        rows << row.Label + u'=' + RowNames(row).join(u'|');
    EXPECT_EQ(rows, (QStringList{u"导演=克里斯托弗·诺兰"_s, u"编剧=克里斯托弗·诺兰"_s, u"主演=莱昂纳多|渡边谦|约瑟夫"_s,
                                 u"上映日期=2010-09-01(中国大陆)"_s, u"IMDb=tt1375666"_s}));
}

TEST(FilmPage, ANotFoundMovieSaysSoAndTheWatchedMarkTogglesInOneClick) {
    TempFolder folder;
    MovieLibrary library;
    MovieRecord movie = Movie(folder, u"films/heat.mkv"_s);
    movie.Overview = u"错误：提取不到信息"_s;
    library.Movies = {movie};
    ASSERT_FALSE(ShowDetail(library, movie.FilePath, DetailView).isEmpty());
    QString page = ReadPage(folder);
    EXPECT_TRUE(page.contains(u"<p class=failed>错误：提取不到信息</p>"_s));
    EXPECT_TRUE(page.contains(u"<h2 class=\"title\">heat</h2>"_s)) << "the file name's title until one is found";
    EXPECT_TRUE(page.contains(u"ExtCommand(107,&quot;1`"_s + movie.FilePath + u"&quot;)"_s));
    EXPECT_TRUE(page.contains(u"ExtCommand(7,&quot;"_s + movie.FilePath));
}
