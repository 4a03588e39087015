#include "extract/json_ld.h"
#include "extract/labels.h"
#include "extract/movie_info.h"

#include "tests/extract/site_pages.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString Shown(const QString& value) {
    return CleanFieldValue(value);
}

} // namespace

TEST(ReadInfoPage, GivesTheFieldsAUserExpectsFromEachSiteFamily) {
    const struct {
        const char* name;
        QString page;
        QString url;
        QString title, original, year, countries, genres, rating, plotStart, poster;
        qsizetype stills;
    } cases[] = {
        {"database, 2021 form", DatabasePage2021(), u"https://movie.db.example/subject/100/"_s, u"长夜行舟"_s,
         u"The Long Night Boat"_s, u"1995"_s, u"美国 / 英国"_s, u"剧情 / 犯罪"_s, u"豆瓣 9.1/10"_s,
         u"一位船夫在长夜里渡过一条河的故事。\n他遇见了许多人。"_s,
         u"https://img.db.example/view/photo/s_ratio_poster/public/p100.jpg"_s, 5},
        {"database, 2018 form", DatabasePage2018(), u"https://movie.db.example/subject/200/"_s, u"荒村旧事"_s,
         u"荒村旧事"_s, u"2011"_s, u"中国大陆"_s, u"剧情"_s, QString(), u"村里的老人讲起旧事。"_s,
         u"https://img.db.example/view/photo/s_ratio_poster/public/p200.jpg"_s, 2},
        {"English title page", EnglishTitlePage(), u"https://www.titles.example/title/tt1/"_s, u"Quiet Harbor"_s,
         u"Quiet Harbor"_s, u"2024"_s, u"United Kingdom / Ireland"_s, u"Drama / Mystery"_s, u"IMDb 7.4/10"_s,
         u"A lighthouse keeper"_s, u"https://img.titles.example/poster._V1_.jpg"_s, 0},
        {"ticket site", TicketSitePage(), u"https://www.ticket.example/films/1"_s, u"山海间"_s,
         u"Between Hills and Sea"_s, u"2020"_s, u"中国大陆"_s, u"剧情 / 战争"_s, u"猫眼 8.8/10"_s, u"山与海之间"_s,
         u"https://p1.ticket.example/moviemachine/cover.jpg@464w_644h_1e_1c"_s, 2},
        {"download site with styled lines", StyledDownloadPage(), u"http://www.dl.example/html/1.html"_s,
         u"Kill Time"_s, u"Kill Time"_s, u"2016"_s, u"中国大陆"_s, u"剧情/悬疑"_s, QString(), u"◎简　　介\n"_s,
         u"http://www.dl.example/uploads/poster.jpg"_s, 1},
        {"encyclopaedia infobox", EncyclopaediaPage(), u"https://wiki.example/item/1"_s, u"雾城"_s, u"Fog City"_s,
         u"2009"_s, u"中国香港"_s, u"剧情"_s, QString(), QString(), QString(), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const InfoPageReading reading = ReadInfoPage(c.page, c.url);
        EXPECT_TRUE(reading.Found);
        EXPECT_EQ(Shown(reading.Facts.Title), c.title);
        EXPECT_EQ(Shown(reading.Facts.OriginalTitle), c.original);
        EXPECT_EQ(Shown(reading.Facts.Year), c.year);
        EXPECT_EQ(Shown(reading.Facts.Countries), c.countries);
        EXPECT_EQ(Shown(reading.Facts.Genres), c.genres);
        EXPECT_EQ(reading.Facts.Rating, c.rating);
        EXPECT_TRUE(reading.Overview.contains(c.plotStart)) << reading.Overview.toStdString();
        EXPECT_EQ(reading.PosterCandidates.value(0), c.poster);
        EXPECT_EQ(reading.Stills.size(), c.stills) << reading.Stills.join(u' ').toStdString();
        // No script, no other film's picture, no avatar, no review.
        for (const QString& stranger : {u"not the film"_s, u"other"_s, u"avatar"_s, u"icon"_s, u"logo"_s, u"loading"_s,
                                        u"影评"_s, u"blob"_s, u"font-family"_s})
            EXPECT_FALSE(QString(reading.Overview + reading.PosterCandidates.join(u' ') + reading.Stills.join(u' '))
                             .contains(stranger))
                << stranger.toStdString();
    }
}

TEST(ReadInfoPage, KeepsIdsAliasesAndDatesAsLabelledLinesNeverAsFields) {
    const InfoPageReading modern = ReadInfoPage(DatabasePage2021(), u"https://movie.db.example/subject/100/"_s);
    for (const QString& line :
         {u"IMDb: tt0000100"_s, u"又名: 夜船 / Night Boat"_s, u"导演: 王某"_s, u"片长: 120分钟"_s})
        EXPECT_TRUE(modern.Overview.contains(line + u'\n')) << line.toStdString();
    // The plot comes after its own label, once.
    EXPECT_EQ(modern.Overview.count(u"简介:\n"_s), 1);

    const InfoPageReading old = ReadInfoPage(DatabasePage2018(), u"https://movie.db.example/subject/200/"_s);
    EXPECT_TRUE(old.Facts.Rating.isEmpty());
    EXPECT_TRUE(old.Overview.contains(u"IMDb链接: tt0000200\n"_s));

    // An alias is no title: the page's "片名" line is, when it has no translated title.
    const InfoPageReading styled = ReadInfoPage(StyledDownloadPage(), QString());
    EXPECT_TRUE(styled.Overview.contains(u"◎又　　名　Dead Hours\n"_s));
    EXPECT_EQ(styled.FtpLinks, u"ftp://dl.example/Kill.Time.mkv`"_s);
}

TEST(ReadInfoPage, APageWithoutDataGivesNothing) {
    const QString links =
        u"<html><body>"_s + QString(u"<a href=x>menu item</a> "_s).repeated(300) + u"</body></html>"_s;
    for (const QString& page : {QString(), u"<html><body><p>too short</p></body></html>"_s, links}) {
        const InfoPageReading reading = ReadInfoPage(page, QString());
        EXPECT_FALSE(reading.Found);
        EXPECT_TRUE(reading.PosterCandidates.isEmpty());
    }
}

TEST(ParseLenientJson, ReadsWhatPagesWrite) {
    const struct {
        const char* name;
        QString text;
        QString title;
    } cases[] = {
        {"an object", u"{\"@type\":\"Movie\",\"name\":\"A\"}"_s, u"A"_s},
        {"raw line feeds and tabs in strings", u"{\"@type\":\"Movie\",\"name\":\"A\nB\tC\"}"_s, u"A\nB\tC"_s},
        {"an array", u"[{\"@type\":\"Person\",\"name\":\"P\"},{\"@type\":\"TVSeries\",\"name\":\"S\"}]"_s, u"S"_s},
        {"a @graph", u"{\"@graph\":[{\"@type\":\"WebSite\"},{\"@type\":[\"VideoObject\"],\"name\":\"V\"}]}"_s, u"V"_s},
        {"a comment wrapper and a semicolon", u"<!--{\"@type\":\"http://schema.org/Movie\",\"name\":\"W\"};-->"_s,
         u"W"_s},
        {"no movie", u"{\"@type\":\"Organization\",\"name\":\"O\"}"_s, QString()},
        {"not JSON", u"{\"@type\":\"Movie\",\"name\":"_s, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadJsonLdText(c.text, QString()).Title, c.title);
    }
    // A person may be a Person or an Organization, one object or a list.
    const PageFacts people = ReadJsonLdText(
        u"{\"@type\":\"Movie\",\"name\":\"M\",\"director\":{\"@type\":\"Person\",\"name\":\"D\"},"
        u"\"actor\":[{\"@type\":\"Organization\",\"name\":\"O\"},\"Plain\"],\"image\":{\"url\":\"/p.jpg\"}}"_s,
        u"https://site.example/title/1"_s);
    EXPECT_EQ(people.Lines, (QStringList{u"导演: D"_s, u"主演: O / Plain"_s}));
    EXPECT_EQ(people.Posters, QStringList{u"https://site.example/p.jpg"_s});
}

TEST(ReadInfoPage, ResolvesPictureAddressesAsABrowserDoes) {
    const struct {
        QString src;
        QString resolved;
    } cases[] = {
        {u"/x.jpg"_s, u"https://www.site.example/x.jpg"_s},
        {u"//img.site.example/x.jpg"_s, u"https://img.site.example/x.jpg"_s},
        {u"./x.jpg"_s, u"https://www.site.example/film/x.jpg"_s},
        {u"../x.jpg"_s, u"https://www.site.example/x.jpg"_s},
        {u"http://other.example/x.jpg"_s, u"http://other.example/x.jpg"_s},
        {u"data:image/png;base64,AAAA"_s, QString()},
        {u"javascript:void(0)"_s, QString()},
    };
    for (const auto& c : cases) {
        const QString page = u"<html><head><meta property=\"og:image\" content=\""_s + c.src +
                             u"\"><script type=\"application/ld+json\">{\"@type\":\"Movie\",\"name\":\"M\"}</script>"
                             u"</head><body></body></html>"_s;
        EXPECT_EQ(ReadInfoPage(page, u"https://www.site.example/film/1.html"_s).PosterCandidates.value(0), c.resolved)
            << c.src.toStdString();
    }
}

TEST(ReadInfoPage, OgTagsNameAFilmOnlyOnAPageAboutOne) {
    const QString tags = u"<meta property=\"og:title\" content=\"海上灯塔\"><meta property=\"og:description\" "
                         u"content=\"守塔人的一年。\"><meta property=\"og:image\" content=\"/p/1.jpg\">"_s;
    const QString url = u"https://m.db.example/movie/subject/1/"_s;
    const InfoPageReading film = ReadInfoPage(u"<html><head><meta property=\"og:type\" content=\"video.movie\">"_s +
                                                  tags + u"</head><body></body></html>"_s,
                                              url);
    EXPECT_EQ(film.Facts.Title, u"海上灯塔"_s);
    EXPECT_EQ(film.Overview, u"简介:\n守塔人的一年。\n"_s);
    EXPECT_EQ(film.PosterCandidates, QStringList{u"https://m.db.example/p/1.jpg"_s});
    const InfoPageReading article = ReadInfoPage(u"<html><head><meta property=\"og:type\" content=\"article\">"_s +
                                                     tags + u"</head><body></body></html>"_s,
                                                 url);
    EXPECT_FALSE(article.Found);
}
