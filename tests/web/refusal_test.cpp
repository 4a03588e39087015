#include "web/refusal.h"
#include "web/site_pace.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString Page(const QString& title, const QString& body) {
    return u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>"_s + title +
           u"</title><style>body{font:14px sans-serif}</style></head><body>"_s + body + u"</body></html>"_s;
}

// A movie page: a long labelled block, a header with a login link, a footer that names a verification
// code, and the same words inside a script and an attribute, where nobody reads them.
QString MoviePage(int lines) {
    QString info;
    for (int i = 0; i < lines; ++i)
        info += u"<span class=\"pl\">主演:</span> 演员甲%1 / 演员乙 / 演员丙 / 演员丁<br/>"_s.arg(i);
    return Page(u"城南旧梦 (2011)"_s,
                u"<div class=\"nav\"><a href=\"/login\">登录/注册</a> <a href=\"/app\">下载客户端</a></div>"
                u"<script>var captcha = '验证码'; if (x) { login(); }</script>"
                u"<h1><span>城南旧梦</span> <span class=\"year\">(2011)</span></h1><div id=\"info\">"_s +
                    info +
                    u"</div><a title=\"访问过于频繁\" href=\"/help\">帮助</a>"
                    u"<p>发表短评需先登录并输入验证码。</p>"_s);
}

} // namespace

TEST(Refusal, IsToldByTheStatusTheFirewallHeaderOrAPageThatOnlyAsksToVerifyOrLogIn) {
    const QString engineCheck = Page(
        u"搜索"_s, u"<p>用户您好，我们的系统发现您所在网络有异常访问请求。为了继续使用，请输入下图中的字符：</p>"
                   u"<form action=\"/antispider/check\" method=\"post\"><img id=\"code_img\" src=\"/antispider/img\">"
                   u"<input type=\"text\" name=\"c\"><input type=\"submit\" value=\"提交\"></form>"_s);
    const QString databaseCheck =
        Page(u"禁止访问"_s, u"<div>你的网络发来的请求太多了，请稍后再来或 "
                            u"<a href=\"https://accounts.example/login\">登录</a> 后继续。</div>"_s);
    const QString englishCheck =
        Page(u"Please wait"_s, u"<noscript>Turn on scripts.</noscript><h2>Are you a robot?</h2><p>We have noticed "
                               u"unusual traffic from your network.</p><div id=\"challenge\"></div>"_s);
    const QString captchaForm = Page(u"影视资料库"_s, u"<form method=\"post\"><p>请继续</p><input type=\"text\" "
                                                      u"name=\"captcha_solution\"><img src=\"/misc/captcha?id=1\">"
                                                      u"</form>"_s);
    const QString loginPage = Page(u"登录影视资料库"_s, u"<form action=\"/passport\"><input name=\"user\">"
                                                        u"<input type=\"password\" name=\"pw\"></form>"_s);
    const QString passwordOnly =
        Page(u"Account"_s, u"<form><input name=\"u\"><input type='password' name='p'><button>Go</button></form>"_s);
    const QString shortPageWithLoginLink =
        Page(u"城南旧梦 下载"_s, u"<a href=\"/login.php\">会员登录</a><p>◎片　　名　城南旧梦<br>◎年　　代　2011</p>"_s);

    const struct {
        const char* what;
        int status;
        QStringList headers;
        QString page;
        QString why; // empty: no refusal
    } cases[] = {
        {"forbidden", 403, {}, {}, u"HTTP 403"_s},
        {"teapot", 418, {}, {}, u"HTTP 418"_s},
        {"too many requests", 429, {u"Retry-After: 120"_s}, {}, u"HTTP 429"_s},
        {"missing page", 404, {}, {}, {}},
        {"server error", 500, {}, {}, {}},
        {"firewall challenge",
         202,
         {u"Content-Length: 0"_s, u"x-amzn-waf-action: challenge"_s},
         {},
         u"防火墙质询（HTTP 202）"_s},
        {"accepted without challenge", 202, {u"Content-Length: 0"_s}, {}, {}},
        {"engine verification page", 200, {}, engineCheck, u"要求验证"_s},
        {"database abnormal-requests page", 200, {}, databaseCheck, u"要求验证"_s},
        {"English verification page", 200, {}, englishCheck, u"要求验证"_s},
        {"verification form without wording", 200, {}, captchaForm, u"要求验证"_s},
        {"login page", 200, {}, loginPage, u"要求登录"_s},
        {"password form", 200, {}, passwordOnly, u"要求登录"_s},
        {"movie page with a login link", 200, {}, MoviePage(120), {}},
        {"short page with a login link", 200, {}, shortPageWithLoginLink, {}},
        {"empty page", 200, {}, {}, {}},
    };
    for (const auto& c : cases) {
        QString why = RefusalOfReply(c.status, c.headers);
        if (why.isEmpty() && c.status == 200)
            why = RefusalOfPage(c.page);
        EXPECT_EQ(why, c.why) << c.what;
    }
}

TEST(Refusal, RetryAfterIsReadAsSecondsOrAsADate) {
    const QDateTime now = QDateTime::fromString(u"2026-12-10T21:00:00Z"_s, Qt::ISODate);
    EXPECT_EQ(RetryAfterMs({u"retry-after: 120"_s}, now), 120000);
    EXPECT_EQ(RetryAfterMs({u"Retry-After: Thu, 10 Dec 2026 21:01:30 GMT"_s}, now), 90000);
    EXPECT_EQ(RetryAfterMs({u"Retry-After: Thu, 10 Dec 2026 20:00:00 GMT"_s}, now), 0); // already past
    EXPECT_EQ(RetryAfterMs({u"Retry-After: soon"_s}, now), 0);
    EXPECT_EQ(RetryAfterMs({u"Server: x"_s}, now), 0);
    EXPECT_EQ(RetryAfterMs({u"Retry-After: 99999999999999"_s}, now), 7LL * 24 * 3600 * 1000);
}

TEST(SitePace, DatabasesAreAskedAtTheirPaceAndARefusingSiteRestsWhileOthersGoOn) {
    RequestPacing pacing;
    qint64 now = 1000;
    pacing.Now = [&now] { return now; };

    EXPECT_EQ(ReserveTurn(pacing, u"movie.douban.com"_s), 0);
    // One site, one pace: its other hosts wait for the same turns.
    EXPECT_EQ(ReserveTurn(pacing, u"m.douban.com"_s), 5000);
    EXPECT_EQ(ReserveTurn(pacing, u"www.imdb.com"_s), 0);
    EXPECT_EQ(ReserveTurn(pacing, u"www.imdb.com"_s), 4000);
    EXPECT_EQ(ReserveTurn(pacing, u"maoyan.com"_s), 0);
    EXPECT_EQ(ReserveTurn(pacing, u"www.maoyan.com"_s), 5000);
    // Engines, download sites and look-alike names are asked as they come.
    for (const QString& host : {u"www.bing.com"_s, u"www.dytt8.net"_s, u"notdouban.com"_s, u"img9.doubanio.com"_s}) {
        EXPECT_EQ(ReserveTurn(pacing, host), 0) << host.toStdString();
        EXPECT_EQ(ReserveTurn(pacing, host), 0) << host.toStdString();
    }
    now = 8000; // the third douban turn was taken for 11000
    EXPECT_EQ(ReserveTurn(pacing, u"movie.douban.com"_s), 3000);
    now = 30000;
    EXPECT_EQ(ReserveTurn(pacing, u"movie.douban.com"_s), 0);

    NoteRefusal(pacing, u"movie.douban.com"_s, 0);
    NoteRefusal(pacing, u"www.bing.com"_s, 300000); // Retry-After: 300
    now += 59999;
    EXPECT_EQ(ReserveTurn(pacing, u"m.douban.com"_s), -1);
    EXPECT_EQ(ReserveTurn(pacing, u"www.bing.com"_s), -1);
    EXPECT_EQ(ReserveTurn(pacing, u"www.sogou.com"_s), 0);
    EXPECT_EQ(ReserveTurn(pacing, u"www.imdb.com"_s), 0);
    now += 1;
    EXPECT_EQ(ReserveTurn(pacing, u"movie.douban.com"_s), 0);
    EXPECT_EQ(ReserveTurn(pacing, u"www.bing.com"_s), -1);
    // A shorter rest noted later does not cut a longer one short.
    NoteRefusal(pacing, u"www.bing.com"_s, 0);
    now = 30000 + 300000;
    EXPECT_EQ(ReserveTurn(pacing, u"www.bing.com"_s), 0);

    EXPECT_EQ(HostOfAddress(u"https://user@Movie.Douban.com:443/subject/1/"_s), u"movie.douban.com"_s);
    EXPECT_EQ(HostOfAddress(u"http://www.imdb.com?x"_s), u"www.imdb.com"_s);
    EXPECT_EQ(HostOfAddress(u"ftp://x/"_s), QString());
}
