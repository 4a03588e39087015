#include "library/thumbnail.h"
#include "pages/builtin_texts.h"
#include "pages/escape.h"
#include "pages/text_codec.h"
#include "pages/wall_controls.h"
#include "pages/wall_item.h"
#include "pages/wall_order.h"
#include "pages/wall_page.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

MovieRecord Record(const QString& path, const QString& title = {}) {
    MovieRecord record;
    record.FilePath = path;
    record.FileName = path.section(u'/', -1);
    record.DisplayTitle = record.FileName.section(u'.', 0, 0);
    record.Title = title;
    record.FolderVideoCount = 1;
    return record;
}

QString Head() {
    return WallPageHead(QString());
}

QString Page(const TempFolder& folder) {
    return QString::fromUtf8(folder.read(u"menu.html"_s));
}

} // namespace

TEST(WallTemplate, HasOneSlotTheWallScriptAndStaysOpen) {
    const QString text = DecodeText(WallPageTemplate);
    QString withoutDoubled = text;
    withoutDoubled.replace(u"%%"_s, QString());
    EXPECT_EQ(withoutDoubled.count(u'%'), 1);
    EXPECT_EQ(withoutDoubled.count(u"%s"_s), 1);
    EXPECT_TRUE(text.contains(u"function AutoResizeImage(w,h,img)"_s));
    EXPECT_TRUE(text.contains(u"ExtCommand(3,"_s));
    EXPECT_TRUE(text.contains(u".d{"_s));
    EXPECT_TRUE(text.contains(u"a.s{"_s));
    EXPECT_FALSE(text.contains(u"</body>"_s));
    // The slot is an attribute value: an escaped search text cannot leave it.
    const QString head = WallPageHead(EscapeHtml(u"\"><script>x</script>'"_s));
    EXPECT_TRUE(head.contains(u"value=\"&quot;&gt;&lt;script&gt;x&lt;/script&gt;&#39;\""_s));
    EXPECT_FALSE(head.contains(u"%s"_s));
}

TEST(WallPage, SmallLibraryBytes) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Record(folder.file(u"b.avi"_s), u"Beta"_s), Record(folder.file(u"a.avi"_s), u"100% Alpha"_s),
                      Record(folder.file(u"b.avi"_s), u"Beta"_s)};
    const QString path = BuildWallPage(library);
    EXPECT_EQ(path, QDir(folder.path()).absoluteFilePath(u"menu.html"_s));
    EXPECT_EQ(library.WallPagePath, path);

    QString expected = Head() + u" 3 部视频 "_s + WallControls({}, library.Movies);
    for (const MovieRecord& record : library.Movies)
        expected += WallItemMarkup(record, QString());
    EXPECT_EQ(Page(folder), expected);
    // UTF-8 without byte-order mark; the percent sign in a title reaches the page unchanged.
    EXPECT_TRUE(folder.read(u"menu.html"_s).startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(Page(folder).contains(u"\n100% Alpha\n"_s));
    // Both records of the listed-twice folder appear, in vector order.
    EXPECT_EQ(Page(folder).count(u"ExtCommand(1,&quot;"_s + folder.file(u"b.avi"_s)), 2);
    EXPECT_LT(Page(folder).indexOf(u"b.avi"_s), Page(folder).indexOf(u"a.avi"_s));
}

TEST(WallPage, EmptyLibraryAndUpdateNoticeMarkup) {
    TempFolder folder;
    MovieLibrary library;
    BuildWallPage(library);
    const QString controls = WallControls({}, {});
    EXPECT_EQ(Page(folder), Head() + u" 0 部视频 "_s + controls);

    library.UpdateNotice = u"<a href='http://example.invalid/'>新版本 1.06</a> 50%"_s;
    BuildWallPage(library);
    EXPECT_EQ(Page(folder), Head() + u" 0 部视频 <a href='http://example.invalid/'>新版本 1.06</a> 50%"_s + controls);
}

TEST(WallPage, UnwritablePageKeepsThePreviousPath) {
    TempFolder folder;
    MovieLibrary library;
    EXPECT_EQ(BuildWallPage(library), folder.file(u"menu.html"_s));

    library.Movies.push_back(Record(folder.file(u"a.avi"_s)));
    library.WallPagePath = u"/earlier/menu.html"_s;
    // The page name taken by a folder stops the write even for root, unlike a read-only folder.
    QFile::remove(folder.file(u"menu.html"_s));
    folder.mkdir(u"menu.html"_s);
    EXPECT_EQ(BuildWallPage(library), u"/earlier/menu.html"_s);
    EXPECT_EQ(library.WallPagePath, u"/earlier/menu.html"_s);

    MovieLibrary fresh;
    EXPECT_EQ(BuildWallPage(fresh), QString());
}

TEST(WallPage, MakesMissingThumbnailsForALargeWall) {
    TempFolder folder;
    MovieLibrary library;
    // Enough records to share the work among threads; each shared folder movie has its own poster.
    for (int i = 0; i < 150; ++i) {
        MovieRecord record = Record(folder.file(u"m%1.avi"_s.arg(i)));
        record.FolderVideoCount = 150;
        if (i % 3 != 0) {
            QImage poster(200 + i, 300, QImage::Format_RGB32);
            poster.fill(Qt::darkRed);
            ASSERT_TRUE(poster.save(record.FilePath + u".jpg"_s, "JPG"));
        }
        library.Movies.push_back(record);
    }
    BuildWallPage(library);
    const QString page = Page(folder);
    for (int i = 0; i < 150; ++i) {
        const QString thumbnail = folder.file(u"m%1.avi.thumb.jpg"_s.arg(i));
        EXPECT_EQ(QFile::exists(thumbnail), i % 3 != 0) << i;
        EXPECT_EQ(page.contains(u"<img src='"_s + EscapeHtml(FileUrl(thumbnail)) + u'\''), i % 3 != 0) << i;
    }
    EXPECT_EQ(page.count(u"<img src=''"_s), 50);
    // Items stay in vector order: the first 64 as markup, the rest as the text the page puts in place.
    const qsizetype later = page.indexOf(u"<script type=text/x-wall-items id=later><div class=d>"_s);
    ASSERT_GT(later, 0);
    EXPECT_LT(page.indexOf(u"m63.avi&quot;"_s), later);
    EXPECT_GT(page.indexOf(u"m64.avi&quot;"_s), later);
    EXPECT_LT(page.indexOf(u"m9.avi&quot;"_s), page.indexOf(u"m10.avi&quot;"_s));
    EXPECT_LT(page.indexOf(u"m148.avi&quot;"_s), page.indexOf(u"m149.avi&quot;"_s));
}

TEST(WallPage, ConcurrentBuildsAndEditsNeverLeaveAHalfWrittenPage) {
    TempFolder folder;
    MovieLibrary library;
    for (int i = 0; i < 300; ++i)
        library.Movies.push_back(Record(folder.file(u"m%1.avi"_s.arg(i))));
    BuildWallPage(library);

    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int round = 0; !done; ++round) {
            std::lock_guard lock(library.RecordsMutex);
            for (MovieRecord& record : library.Movies)
                record.Title = u"title %1"_s.arg(round);
            library.UpdateNotice = u"notice %1"_s.arg(round);
        }
    });
    std::thread builder([&] {
        for (int i = 0; i < 15; ++i)
            BuildWallPage(library);
    });
    for (int i = 0; i < 15; ++i) {
        BuildWallPage(library);
        const QString page = Page(folder);
        EXPECT_EQ(page.count(u"<div class=d>"_s), 300);
        EXPECT_TRUE(page.endsWith(u"</a></div>\n</script>\n<script>PlaceLaterItems()</script>\n"_s));
    }
    builder.join();
    done = true;
    editor.join();
}

namespace {

MovieRecord Sortable(const QString& name, const QString& title, const QString& year, const QString& rating,
                     int64_t modified, const QString& genres = {}, const QString& country = {}) {
    MovieRecord record = Record(u"/films/"_s + name + u".mkv"_s, title);
    record.ProductionYear = year;
    record.Rating = rating;
    record.ModifiedTime = modified;
    record.Genres = genres;
    record.CountryOfOrigin = country;
    return record;
}

QStringList Names(const std::vector<MovieRecord>& movies) {
    QStringList names;
    for (const MovieRecord& movie : movies)
        names << movie.FileName.section(u'.', 0, 0);
    return names;
}

} // namespace

TEST(WallOrder, SortsBothWaysWithMissingValuesLast) {
    const std::vector<MovieRecord> movies = {
        Sortable(u"c"_s, u"◎译　　名　猫"_s, u"◎年　　代　1999"_s, u"7.1/10"_s, 300),
        Sortable(u"a"_s, u"Zoo/动物园"_s, u"2010-05-01"_s, u"暂无"_s, 100),
        Sortable(u"b"_s, {}, {}, u"4.5/5"_s, 200), // shown by its file title "b"
        Sortable(u"d"_s, u"apple"_s, u"1999"_s, u"◎豆瓣评分　8.0/10 from 9 users"_s, 400),
    };
    struct Case {
        QString sort;
        QStringList order;
    };
    const Case cases[] = {
        {u""_s, {u"c"_s, u"a"_s, u"b"_s, u"d"_s}},
        {u"title"_s, {u"d"_s, u"b"_s, u"a"_s, u"c"_s}}, // apple, b, Zoo, 猫: letters without case first
        {u"title-desc"_s, {u"c"_s, u"a"_s, u"b"_s, u"d"_s}},
        {u"year"_s, {u"c"_s, u"d"_s, u"a"_s, u"b"_s}}, // the two 1999s keep their order; no year last
        {u"year-desc"_s, {u"a"_s, u"c"_s, u"d"_s, u"b"_s}},
        {u"rating-desc"_s, {u"b"_s, u"d"_s, u"c"_s, u"a"_s}}, // 4.5/5 is 9 of 10
        {u"rating"_s, {u"c"_s, u"d"_s, u"b"_s, u"a"_s}},
        {u"added-desc"_s, {u"d"_s, u"c"_s, u"b"_s, u"a"_s}},
        {u"added"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s}},
    };
    for (const Case& c : cases) {
        std::vector<MovieRecord> sorted = movies;
        SortMovies(sorted, WithSort({}, c.sort));
        EXPECT_EQ(Names(sorted), c.order) << c.sort.toStdString();
    }
    // An unknown order changes nothing; the choice survives the next start.
    TempFolder folder;
    WallChoice choice = WithFacet(WithSort({}, u"year-desc"_s), u"genre`剧情"_s);
    EXPECT_EQ(WithSort(choice, u"bogus"_s).Sort, u"year"_s);
    ASSERT_TRUE(WriteWallChoice(choice));
    const WallChoice read = ReadWallChoice();
    EXPECT_EQ(read.Sort, u"year"_s);
    EXPECT_TRUE(read.Descending);
    EXPECT_EQ(read.Facet, u"genre"_s);
    EXPECT_EQ(read.FacetValue, u"剧情"_s);
}

TEST(WallOrder, FacetsCountTheValuesAndNarrowTheWall) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {
        Sortable(u"a"_s, {}, u"1994"_s, {}, 0, u"◎类　　别　剧情/犯罪"_s, u"◎国　　家　美国"_s),
        Sortable(u"b"_s, {}, u"1999"_s, {}, 0, u"剧情 爱情"_s, u"美国 / 英国"_s),
        Sortable(u"c"_s, {}, u"2008"_s, {}, 0, u"动作,剧情"_s, u"United States"_s),
        Sortable(u"d"_s, {}, {}, {}, 0, {}, {}),
    };
    const auto counted = [&](const QString& facet) {
        QStringList out;
        for (const FacetCount& count : CountFacet(library.Movies, facet, 40))
            out << count.Value + u'=' + QString::number(count.Count);
        return out;
    };
    EXPECT_EQ(counted(u"genre"_s), (QStringList{u"剧情=3"_s, u"动作=1"_s, u"爱情=1"_s, u"犯罪=1"_s}));
    EXPECT_EQ(counted(u"country"_s), (QStringList{u"美国=2"_s, u"United States=1"_s, u"英国=1"_s}));
    EXPECT_EQ(counted(u"decade"_s), (QStringList{u"2000=1"_s, u"1990=2"_s}));

    // The wall shows the facet's movies in the chosen order, and its head names the facet with its count.
    library.Choice = WithSort(WithFacet({}, u"decade`1990"_s), u"year-desc"_s);
    BuildWallPage(library);
    const QString page = Page(folder);
    EXPECT_EQ(page.count(u"<div class=d>"_s), 2);
    EXPECT_LT(page.indexOf(u"/films/b.mkv"_s), page.indexOf(u"/films/a.mkv"_s));
    EXPECT_TRUE(page.contains(u" 4 部视频 <span class=facet-count>其中 1990年代 2 部</span> "_s));
    EXPECT_TRUE(page.contains(u"<option value='1990' selected>1990年代 (2)</option>"_s));
    EXPECT_TRUE(page.contains(u"data-facet='decade'"_s)) << "Backspace and Esc leave the facet first";
    EXPECT_TRUE(page.contains(u"id=facet-clear"_s));
    // A facet value from page script is page text, never markup.
    library.Choice = WithFacet({}, u"genre`<b>x</b>'"_s);
    BuildWallPage(library);
    EXPECT_FALSE(Page(folder).contains(u"<b>x</b>"_s));
    EXPECT_EQ(Page(folder).count(u"<div class=d>"_s), 0);
}
