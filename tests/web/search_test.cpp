#include "web/search.h"

#include "library/split_string.h"
#include "pages/builtin_texts.h"
#include "pages/text_codec.h"
#include "tests/support/http_server.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_folder.h"
#include "tests/web/sample_pages.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QStringList Prefixes{u"http://info.example/"_s, u"http://films.example/"_s};
const QStringList Exclusions{u"engine.example"_s, u"cache"_s};
const QString Captcha = u"请您输入验证码"_s;

SearchResults Read(const QString& page) {
    return ReadSearchResults(EncodeAs(page, "CP936"), Prefixes, Exclusions);
}

QString Link(const QString& address) {
    return u"<a href=\""_s + address + u"\">"_s;
}

} // namespace

TEST(ReadSearchResults, CollectsEveryLinkInPageOrder) {
    const SearchResults results = Read(Link(u"http://a.example/1"_s) + Link(u"http://b.example/2"_s) + u"text"_s +
                                       Link(u"http://c.example/3"_s) + u"\r\n<p>"_s + Link(u"http://d.example/4"_s));
    EXPECT_EQ(results.Links, (QStringList{u"http://a.example/1"_s, u"http://b.example/2"_s, u"http://c.example/3"_s,
                                          u"http://d.example/4"_s}));
    EXPECT_TRUE(results.Preferred.isEmpty());
    EXPECT_FALSE(results.Blocked);
}

TEST(ReadSearchResults, TakesDoubleQuotedWebLinksClosedOnTheirLine) {
    const SearchResults results =
        Read(u"<a href='http://single.example/'><a href=\"https://secure.example/\"><a href=\"/relative\">"
             u"<a HREF=\"http://upper.example/\"><a href=http://bare.example/><a href=\"ftp://f.example/\">\n"
             u"<a href=\"http://split.example/\nrest\">"_s +
             Link(u"http://after.example/"_s) + Link(u"/link?url=relative"_s));
    EXPECT_EQ(results.Links, (QStringList{u"https://secure.example/"_s, u"http://after.example/"_s}));
}

TEST(ReadSearchResults, DecodesAmpersandsAndReadsTheLinesAsGbk) {
    const SearchResults results =
        Read(Link(u"http://a.example/q?x=1&amp;y=2&amp;amp;z"_s) + Link(u"http://a.example/电影/页"_s));
    EXPECT_EQ(results.Links, (QStringList{u"http://a.example/q?x=1&y=2&amp;z"_s, u"http://a.example/电影/页"_s}));
}

TEST(ReadSearchResults, PrefersTheFirstLinkOnAPreferredSite) {
    const SearchResults results = Read(Link(u"http://other.example/"_s) + Link(u"https://films.example/1"_s) + u"\n"_s +
                                       Link(u"http://info.example/2"_s));
    EXPECT_EQ(results.Preferred, u"https://films.example/1"_s); // a prefix matches either scheme
    EXPECT_EQ(results.Links.size(), 3);
    // The prefix must stand at the start.
    EXPECT_TRUE(Read(Link(u"http://x.example/?u=http://info.example/"_s)).Preferred.isEmpty());
}

TEST(ReadSearchResults, DropsLinksHoldingAnExclusionAfterTheirStart) {
    const QStringList exclusions{u"http://www.engine"_s, u"cache"_s};
    const SearchResults results = ReadSearchResults(
        EncodeAs(Link(u"http://www.engine.example/search"_s) + Link(u"http://cache.example/page"_s) +
                     Link(u"http://site.example/?from=http://www.engine"_s) + Link(u"http://films.example/ok"_s),
                 "CP936"),
        Prefixes, exclusions);
    EXPECT_EQ(results.Links, (QStringList{u"http://www.engine.example/search"_s, u"http://films.example/ok"_s}));
    EXPECT_EQ(results.Preferred, u"http://films.example/ok"_s);
}

TEST(ReadSearchResults, IgnoresEmptyListEntries) {
    const SearchResults results =
        ReadSearchResults(EncodeAs(Link(u"http://a.example/"_s) + Link(u"http://films.example/"_s), "CP936"),
                          {QString(), u"http://films.example/"_s}, {QString()});
    EXPECT_EQ(results.Links.size(), 2);
    EXPECT_EQ(results.Preferred, u"http://films.example/"_s);
}

TEST(ReadSearchResults, TheVerificationPhraseStopsReading) {
    // Seen after the start of the last link of a line, or anywhere on a line without links.
    SearchResults results =
        Read(Link(u"http://a.example/"_s) + u"\n"_s + Captcha + u"\n"_s + Link(u"http://b.example/"_s));
    EXPECT_TRUE(results.Blocked);
    EXPECT_EQ(results.Links, QStringList{u"http://a.example/"_s});

    results = Read(Link(u"http://a.example/"_s) + Link(u"http://b.example/"_s) + Captcha + u"\n"_s +
                   Link(u"http://c.example/"_s));
    EXPECT_TRUE(results.Blocked);
    EXPECT_EQ(results.Links.size(), 2);

    // Before the last link of its line it is not noticed.
    results = Read(Captcha + Link(u"http://a.example/"_s) + u"\n"_s + Link(u"http://b.example/"_s));
    EXPECT_FALSE(results.Blocked);
    EXPECT_EQ(results.Links.size(), 2);
}

TEST(ReadSearchResults, HandlesLongLinesInOnePass) {
    QString line;
    for (int i = 0; i < 20000; ++i)
        line += Link(u"http://a.example/%1"_s.arg(i));
    EXPECT_EQ(Read(line).Links.size(), 20000);
}

namespace {

QStringList BuiltIn(const char* stored) {
    QStringList entries = SplitString(DecodeText(stored), u'`');
    entries.removeAll(QString());
    return entries;
}

} // namespace

TEST(ReadSearchResults, ReadsBingClickThroughLinksAsTheirTargetsOrganicResultsFirst) {
    const QStringList prefixes = BuiltIn(SearchLinkPrefixes);
    const QStringList exclusions = BuiltIn(SearchLinkExclusions);
    const QString card = u"http://www.dytt8.net/html/card.html"_s;
    const QStringList organic{u"https://news.example/film"_s, u"https://www.dytt8.net/html/gndy/1.html"_s,
                              u"https://www.bing.com/videos/search?q=film"_s, u"http://plain.example/电影"_s};
    const QByteArray page = SampleBingPage({card, u"https://answer.example/"_s}, organic);

    SearchResults results = ReadSearchResults(page, prefixes, exclusions, u"bing"_s);
    // Each result's first link, in page order; the engine's own target is dropped by the exclusions.
    ASSERT_GE(results.Links.size(), 3);
    EXPECT_EQ(results.Links.mid(0, 3), (QStringList{organic[0], organic[1], organic[3]}));
    EXPECT_EQ(results.Links.mid(3, 3), (QStringList{card, card, u"https://answer.example/"_s}));
    EXPECT_EQ(results.Links.count(organic[1]), 2);
    EXPECT_EQ(results.Preferred, organic[1]); // the organic one, before the card's earlier link
    for (const QString& link : results.Links)
        EXPECT_FALSE(link.contains(u"bing.com"_s) || link.contains(u"microsoft"_s)) << link.toStdString();

    // Without the engine's layout the links stay in page order.
    results = ReadSearchResults(page, prefixes, exclusions);
    EXPECT_EQ(results.Links.first(), card);
    EXPECT_EQ(results.Preferred, card);
}

TEST(SearchAddress, CleansTheTextAndFillsTheEnginePattern) {
    const QString text = u"Some.Film.2009.mkv Some Film"_s;
    EXPECT_EQ(SearchAddress(u"bing"_s, text), u"http://www.bing.com/search?q=Some+Film+2009+mkv+Some+Film"_s);
    EXPECT_EQ(SearchAddress(u"sogou"_s, text), u"http://www.sogou.com/web?query=Some Film 2009 mkv Some Film"_s);
    EXPECT_EQ(SearchAddress(u"sogou"_s, u"[组]-【片】  x(1)"_s), u"http://www.sogou.com/web?query= 组   片   x(1)"_s);
    EXPECT_EQ(SearchAddress(u"bing"_s, u"中(1)"_s), u"http://www.bing.com/search?q=%E4%B8%AD%281%29"_s);
    EXPECT_TRUE(SearchAddress(u"Bing"_s, text).isEmpty());
    EXPECT_TRUE(SearchAddress(QString(), text).isEmpty());
}

TEST(SearchLinkLists, AreUsableAsBuiltIn) {
    const QStringList prefixes = SplitString(DecodeText(SearchLinkPrefixes), u'`');
    const QStringList exclusions = SplitString(DecodeText(SearchLinkExclusions), u'`');
    ASSERT_FALSE(prefixes.isEmpty());
    ASSERT_FALSE(exclusions.isEmpty());
    for (const QString& prefix : prefixes) {
        EXPECT_TRUE(prefix.startsWith(u"http://"_s)) << prefix.toStdString();
        // A preferred site must never be dropped by an exclusion.
        for (const QString& exclusion : exclusions)
            EXPECT_LT(prefix.indexOf(exclusion, 1), 0) << prefix.toStdString() << " " << exclusion.toStdString();
    }
    for (const QString& exclusion : exclusions)
        EXPECT_FALSE(exclusion.isEmpty());
    // The engines' own links are dropped.
    const QByteArray page =
        SampleResultsPage({u"http://www.bing.com/search?q=more"_s, u"http://www.sogou.com/web?query=more"_s,
                           u"http://www.dytt8.net/1.html"_s});
    MovieRecord record;
    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    server.Serve(u"http://www.bing.com/search?q=x"_s, page);
    QStringList links;
    EXPECT_EQ(SearchTitle(record, u"bing"_s, u"x"_s, links), u"http://www.dytt8.net/1.html"_s);
    EXPECT_EQ(links, QStringList{u"http://www.dytt8.net/1.html"_s});
}

namespace {

class SearchTitleTest : public ::testing::Test {
protected:
    SearchTitleTest() { record.FilePath = folder.file(u"Some.Film.2009.mkv"_s); }

    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy{server};
    MovieRecord record;
    QStringList links{u"http://earlier.example/"_s};
};

} // namespace

TEST_F(SearchTitleTest, AsksTheEngineAndKeepsACopyOfItsPage) {
    const QByteArray page = SampleResultsPage(
        {u"http://www.example.org/film"_s, u"http://www.mtime.com/movie/1/"_s, u"http://www.dytt8.net/html/2.html"_s});
    server.Serve(u"http://www.bing.com/search?q=Some+Film+2009+mkv"_s, page);
    EXPECT_EQ(SearchTitle(record, u"bing"_s, u"Some.Film.2009.mkv"_s, links), u"http://www.mtime.com/movie/1/"_s);
    EXPECT_EQ(links, (QStringList{u"http://earlier.example/"_s, u"http://www.example.org/film"_s,
                                  u"http://www.mtime.com/movie/1/"_s, u"http://www.dytt8.net/html/2.html"_s}));
    EXPECT_EQ(folder.read(u"Some.Film.2009.mkv.search.htm"_s), page);
    EXPECT_EQ(folder.read(u"tempsearch.html"_s), page);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(SearchTitleTest, SendsTheSogouQueryUnencoded) {
    server.Serve(u"http://www.sogou.com/web?query=Some%20Film%202009%20mkv%20%E7%94%B5%E5%BD%B1"_s,
                 SampleResultsPage({u"http://www.example.org/film"_s}));
    bool pageRead = false;
    EXPECT_TRUE(SearchTitle(record, u"sogou"_s, u"Some.Film.2009.mkv 电影"_s, links, nullptr, &pageRead).isEmpty());
    EXPECT_TRUE(pageRead);
    EXPECT_EQ(links.size(), 2);
}

TEST_F(SearchTitleTest, TheVerificationPageAnswersBlocked) {
    server.Serve(u"http://www.bing.com/search?q=x"_s,
                 EncodeAs(u"<html><body>"_s + Link(u"http://www.dytt8.net/a.html"_s) + u"\n<p>"_s + Captcha +
                              u"</p>\n"_s + Link(u"http://www.dytt8.net/b.html"_s) + u"</body></html>"_s,
                          "CP936"));
    bool pageRead = true;
    EXPECT_EQ(SearchTitle(record, u"bing"_s, u"x"_s, links, nullptr, &pageRead), u"blocked"_s);
    EXPECT_FALSE(pageRead);
    EXPECT_EQ(links.size(), 2);
    EXPECT_TRUE(QFile::exists(u"Some.Film.2009.mkv.search.htm"_s));
}

TEST_F(SearchTitleTest, FollowsSogouClickThroughLinksToTheirTargets) {
    const QString origin = u"http://www.sogou.com"_s;
    auto token = [&](int n) { return u"/link?url=tok%1.."_s.arg(n); };
    auto script = [](const QString& target) {
        return (u"<meta content=\"always\" name=\"referrer\"><script>window.location.replace(\""_s + target +
                u"\")</script><noscript><META http-equiv=\"refresh\" content=\"0;URL='"_s + target +
                u"'\"></noscript>"_s)
            .toUtf8();
    };
    // Nine organic tokens and one direct result; a card of three more tokens before them.
    QStringList organic;
    for (int n = 1; n <= 9; ++n)
        organic << token(n);
    organic.insert(5, u"https://direct.example/6"_s);
    const QStringList cards{token(21), token(22), token(23)};
    server.Serve(u"http://www.sogou.com/web?query=x"_s,
                 SampleSogouPage(cards, organic, {u"http://music.example/song"_s}));

    server.Redirect(origin + token(1), u"https://films.example/1"_s, 302);
    server.Serve(origin + token(2), script(u"https://www.dytt8.net/html/2.html"_s));
    // The engine moves the request to https on its own host first.
    server.Redirect(origin + token(3), u"https://www.sogou.com"_s + token(3), 301);
    server.Serve(u"https://www.sogou.com"_s + token(3), script(u"https://c.example/3?a=1&b=2"_s));
    server.Fail(origin + token(4), 404);
    server.Serve(origin + token(5), script(u"https://www.sogou.com/web?query=more"_s)); // excluded
    for (int n = 6; n <= 9; ++n)
        server.Serve(origin + token(n), "<html><head><meta http-equiv=refresh content=\"0;url=http://x.example/" +
                                            QByteArray::number(n) + "\"></head></html>");
    for (const QString& card : cards)
        server.Serve(origin + card, script(u"https://card.example/"_s + card.right(4)));

    QStringList found;
    EXPECT_EQ(SearchTitle(record, u"sogou"_s, u"x"_s, found), u"https://www.dytt8.net/html/2.html"_s);
    ASSERT_GE(found.size(), 9);
    EXPECT_EQ(found.mid(0, 9), (QStringList{u"https://films.example/1"_s, u"https://www.dytt8.net/html/2.html"_s,
                                            u"https://c.example/3?a=1&b=2"_s, u"https://direct.example/6"_s,
                                            u"http://x.example/6"_s, u"http://x.example/7"_s, u"http://x.example/8"_s,
                                            u"http://x.example/9"_s, u"https://card.example/21.."_s}));
    EXPECT_TRUE(found.contains(u"http://music.example/song"_s));
    for (const QString& link : found)
        EXPECT_FALSE(link.contains(u"sogou"_s)) << link.toStdString();
    // Ten distinct tokens asked for, each once (the picture links repeat them); the rest not at all.
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(server.HitCount(origin + token(n)), 1) << n;
    EXPECT_EQ(server.HitCount(origin + token(21)), 1);
    EXPECT_EQ(server.HitCount(origin + token(22)) + server.HitCount(origin + token(23)), 0);
    for (const auto& request : server.Requests()) {
        EXPECT_EQ(request.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)");
        EXPECT_EQ(request.Version, "HTTP/1.0");
    }
    EXPECT_EQ(server.HitCount(u"https://films.example/1"_s), 0); // the target itself is left to the lookup
}

TEST_F(SearchTitleTest, NothingFetchedGivesNothing) {
    folder.write(u"tempsearch.html"_s, SampleResultsPage({u"http://www.dytt8.net/stale.html"_s}));
    server.Fail(u"http://www.bing.com/search?q=x"_s, 404);
    bool pageRead = true;
    EXPECT_TRUE(SearchTitle(record, u"bing"_s, u"x"_s, links, nullptr, &pageRead).isEmpty());
    EXPECT_FALSE(pageRead);
    EXPECT_EQ(links.size(), 1);
    EXPECT_FALSE(QFile::exists(u"Some.Film.2009.mkv.search.htm"_s));
    EXPECT_FALSE(QFile::exists(u"tempsearch.html"_s)); // the stale page of an earlier search is gone

    EXPECT_TRUE(SearchTitle(record, u"other"_s, u"x"_s, links).isEmpty());
    EXPECT_EQ(server.Requests().size(), 1u);
}
