#include "pages/filter_page.h"
#include "pages/wall_controls.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

MovieRecord Movie(const QString& path, const QString& searchKey) {
    MovieRecord movie;
    movie.FilePath = path;
    movie.FileName = path.section(u'/', -1);
    movie.DisplayTitle = movie.FileName;
    movie.SearchKey = searchKey;
    return movie;
}

MovieLibrary& SampleLibrary(MovieLibrary& library) {
    library.Movies = {
        Movie(u"/films/Dark.Knight.mkv"_s, u"/films/dark.knight.mkv黑暗骑士the dark knight美国2008"_s),
        Movie(u"/films/knight-and-day.mkv"_s, u"/films/knight-and-day.mkv危情谍战美国2010"_s),
        Movie(u"/films/avatar.mkv"_s, u"/films/avatar.mkv阿凡达avatar美国2009科幻"_s),
        Movie(u"/films/amelie.mkv"_s, u"/films/amelie.mkv天使爱美丽法国2001"_s),
    };
    library.UpdateNotice = u"<a href='#'>new</a>"_s;
    return library;
}

// The names of the items a filter page lists, in page order.
QStringList Listed(const QString& page) {
    QStringList names;
    const QStringList items = page.split(u"<div class=d>"_s);
    for (qsizetype i = 1; i < items.size(); ++i)
        names << items[i].section(u"title='"_s, 1).section(u'\n', 0, 0);
    return names;
}

QString Filter(MovieLibrary& library, const TempFolder& folder, const QString& text) {
    const QString path = BuildFilterPage(library, text);
    EXPECT_EQ(path, folder.file(u"menu_search.html"_s));
    return QString::fromUtf8(folder.read(u"menu_search.html"_s));
}

} // namespace

TEST(BuildFilterPage, ListsTheMatchesInOrderUnderTheCountLine) {
    TempFolder folder;
    MovieLibrary library;
    SampleLibrary(library);
    const QString page = Filter(library, folder, u"Dark  Knight"_s);
    EXPECT_EQ(Listed(page), QStringList{u"Dark.Knight.mkv"_s});
    EXPECT_TRUE(page.contains(u" 从 4 部视频中找到符合条件的视频 1 部 <a href='#'>new</a><div class=tools"_s));
    // The search box shows the prepared text again.
    EXPECT_TRUE(page.contains(u"value=\"dark  knight\""_s));

    EXPECT_EQ(Listed(Filter(library, folder, u"KNIGHT"_s)),
              (QStringList{u"Dark.Knight.mkv"_s, u"knight-and-day.mkv"_s}));
    EXPECT_EQ(Listed(Filter(library, folder, u"2009 美国"_s)), QStringList{u"avatar.mkv"_s});
    EXPECT_EQ(Listed(Filter(library, folder, u"美国 2009"_s)), QStringList{u"avatar.mkv"_s});
    EXPECT_EQ(Listed(Filter(library, folder, u"/films/am"_s)), QStringList{u"amelie.mkv"_s});
}

TEST(BuildFilterPage, AFacetCombinesWithTheSearchWords) {
    TempFolder folder;
    MovieLibrary library;
    SampleLibrary(library);
    library.Movies[0].CountryOfOrigin = library.Movies[1].CountryOfOrigin = library.Movies[2].CountryOfOrigin =
        u"美国"_s;
    library.Movies[3].CountryOfOrigin = u"法国"_s;
    library.Choice = WithFacet({}, u"country`美国"_s);
    const QString page = Filter(library, folder, u"knight"_s);
    EXPECT_EQ(Listed(page), (QStringList{u"Dark.Knight.mkv"_s, u"knight-and-day.mkv"_s}));
    // The counts are the matches': 法国 is not among them.
    EXPECT_TRUE(page.contains(u"<option value='美国' selected>美国 (2)</option>"_s));
    EXPECT_FALSE(page.contains(u"法国"_s));
    library.Choice = WithFacet({}, u"country`法国"_s);
    EXPECT_TRUE(Listed(Filter(library, folder, u"knight"_s)).isEmpty());
}

TEST(BuildFilterPage, BlanksOnlyListEverything) {
    TempFolder folder;
    MovieLibrary library;
    SampleLibrary(library);
    const QString page = Filter(library, folder, u"   "_s);
    EXPECT_EQ(Listed(page).size(), 4);
    EXPECT_TRUE(page.contains(u" 从 4 部视频中找到符合条件的视频 4 部 "_s));
    EXPECT_EQ(Listed(Filter(library, folder, u"  amelie  "_s)), QStringList{u"amelie.mkv"_s});
}

TEST(BuildFilterPage, NoMatchStillWritesThePage) {
    TempFolder folder;
    MovieLibrary library;
    SampleLibrary(library);
    library.UpdateNotice.clear();
    const QString page = Filter(library, folder, u"nothing-like-this"_s);
    EXPECT_TRUE(Listed(page).isEmpty());
    EXPECT_TRUE(page.endsWith(u" 从 4 部视频中找到符合条件的视频 0 部 "_s + WallControls({}, {})));
}

TEST(BuildFilterPage, SearchTextIsPageTextNotMarkup) {
    TempFolder folder;
    MovieLibrary library;
    SampleLibrary(library);
    const QString page = Filter(library, folder, u"<img src=x onerror=alert(1)>&"_s);
    EXPECT_FALSE(page.contains(u"<img src=x"_s));
    EXPECT_TRUE(page.contains(u"&lt;img src=x onerror=alert(1)&gt;&amp;"_s));
}
