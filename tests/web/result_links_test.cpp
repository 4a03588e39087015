#include "web/result_links.h"

#include "tests/support/qt_printers.h"
#include "tests/web/sample_pages.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StartsWithSiteAddress, AnEntryMatchesEitherScheme) {
    const QString prefix = u"http://www.dytt8.net/"_s;
    EXPECT_TRUE(StartsWithSiteAddress(u"http://www.dytt8.net/html/1.html"_s, prefix));
    EXPECT_TRUE(StartsWithSiteAddress(u"https://www.dytt8.net/html/1.html"_s, prefix));
    EXPECT_TRUE(StartsWithSiteAddress(u"http://www.dytt8.net/1"_s, u"https://www.dytt8.net/"_s));
    EXPECT_FALSE(StartsWithSiteAddress(u"https://www.dytt8.net.example/1"_s, prefix));
    EXPECT_FALSE(StartsWithSiteAddress(u"https://other.example/?u=www.dytt8.net/"_s, prefix));
    EXPECT_FALSE(StartsWithSiteAddress(u"ftp://www.dytt8.net/1"_s, prefix));
    EXPECT_FALSE(StartsWithSiteAddress(u"HTTPS://www.dytt8.net/1"_s, prefix));
}

TEST(BingResultTarget, DecodesTheTargetOfAClickThroughAddress) {
    const QString target = u"https://www.example.org/film/电影?id=1&x=2"_s;
    QString link = BingClickThrough(target);
    link.replace(u"&amp;"_s, u"&"_s);
    EXPECT_EQ(BingResultTarget(link), std::optional(target));
    // Any Bing host and scheme, any parameter order; padding may be written.
    EXPECT_EQ(BingResultTarget(u"http://cn.bing.com/ck/a?u=a1aHR0cDovL2Eu&p=1"_s), std::optional(u"http://a."_s));
    EXPECT_EQ(BingResultTarget(u"https://www.bing.com/ck/a?!&&p=1&u=a1aHR0cHM6Ly9hLmV4YW1wbGUv"_s),
              std::optional(u"https://a.example/"_s));

    struct Case {
        QString link;
        std::optional<QString> target;
    };
    const Case cases[] = {
        // A wrapper that names no web address stands for nothing.
        {u"https://www.bing.com/ck/a?p=1&u=a1L3NlYXJjaD9xPXg&ntb=1"_s, QString()}, // "/search?q=x"
        {u"https://www.bing.com/ck/a?p=1&u=a1%%%&ntb=1"_s, QString()},
        {u"https://www.bing.com/ck/a?p=1&u=b1aHR0cDovL2EuZXhhbXBsZS8&ntb=1"_s, QString()},
        {u"https://www.bing.com/ck/a?p=1&ntb=1"_s, QString()},
        {u"https://www.bing.com/ck/a?p=1&xu=a1aHR0cDovL2EuZXhhbXBsZS8"_s, QString()},
        {u"https://www.bing.com/ck/a?u=a1"_s + QString::fromLatin1(QByteArray("http://a/\"x").toBase64()), QString()},
        // Not a wrapper.
        {u"https://www.bing.com/search?u=a1aHR0cDovL2EuZXhhbXBsZS8"_s, std::nullopt},
        {u"https://bing.com.example/ck/a?u=a1aHR0cDovL2EuZXhhbXBsZS8"_s, std::nullopt},
        {u"https://notbing.com/ck/a?u=a1aHR0cDovL2EuZXhhbXBsZS8"_s, std::nullopt},
        {u"/ck/a?u=a1aHR0cDovL2EuZXhhbXBsZS8"_s, std::nullopt},
        {u"https://a.example/"_s, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BingResultTarget(c.link), c.target) << c.link.toStdString();
}

TEST(IsSogouResultLink, KnowsTheEnginesClickThroughAddresses) {
    EXPECT_TRUE(IsSogouResultLink(u"https://www.sogou.com/link?url=hedJ_x.."_s));
    EXPECT_TRUE(IsSogouResultLink(u"http://sogou.com/link?url=a"_s));
    EXPECT_FALSE(IsSogouResultLink(u"https://www.sogou.com/link?url="_s));
    EXPECT_FALSE(IsSogouResultLink(u"https://www.sogou.com/web?query=a"_s));
    EXPECT_FALSE(IsSogouResultLink(u"https://www.sogou.com.example/link?url=a"_s));
    EXPECT_FALSE(IsSogouResultLink(u"/link?url=a"_s));
}

TEST(ReadRedirectReply, FindsTheAddressOfTheRefreshOrTheLocationScript) {
    const struct {
        QByteArray reply;
        QString target;
    } cases[] = {
        // The engine's usual reply: a location script, the same address again in a refresh.
        {"<meta content=\"always\" name=\"referrer\"><script>window.location.replace(\"https://a.example/1?x=1&y=2\")"
         "</script><noscript><META http-equiv=\"refresh\" content=\"0;URL='https://a.example/1?x=1&y=2'\"></noscript>",
         u"https://a.example/1?x=1&y=2"_s},
        {"<html><head><meta http-equiv=refresh content=\"0; url=http://b.example/page.html\"></head></html>",
         u"http://b.example/page.html"_s},
        {"<meta content='3;URL=http://c.example/?a=1&amp;b=2' http-equiv='Refresh'>", u"http://c.example/?a=1&b=2"_s},
        {"<script>var u='x'; location.href = 'http:\\/\\/d.example\\/film\\/1.html';</script>",
         u"http://d.example/film/1.html"_s},
        {"<script>window.location=\"https://e.example/\"</script>", u"https://e.example/"_s},
        {"<script>top.location.assign(\"http://f.example/电影\")</script>", u"http://f.example/电影"_s},
        // The first of the two is taken; what names no web address does not count.
        {"<meta http-equiv=\"refresh\" content=\"0;url=/relative\"><script>location.replace('http://g.example/')"
         "</script><meta http-equiv=\"refresh\" content=\"0;url=http://h.example/\">",
         u"http://g.example/"_s},
        {"<script>if (location == \"http://x.example/\") {} location.replace(\"javascript:void(0)\")</script>"
         "<meta http-equiv=refresh content=\"0;url=ftp://i.example/\">",
         QString()},
        {"<p>the page moved</p>", QString()},
        {"<meta http-equiv=\"refresh\" content=\"0;url=http://", QString()},
        {"<script>location.replace(\"http://", QString()},
        {QByteArray(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadRedirectReply(c.reply), c.target) << c.reply.toStdString();
}
