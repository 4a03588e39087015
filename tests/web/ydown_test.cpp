#include "web/ydown.h"

#include "tests/support/http_server.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_folder.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString FormHeader = u"Content-Type: application/x-www-form-urlencoded"_s;

class YDownTest : public ::testing::Test {
protected:
    void Fetch(const QString& url, const QString& output = u"out.html"_s) {
        YDown down(&stop);
        down.TimeLimitMs = timeLimitMs;
        down.Download(url, QString(), output, FormHeader);
    }

    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy{server};
    std::atomic<bool> stop{false};
    int timeLimitMs = DownloadTimeLimitMs;
};

} // namespace

TEST_F(YDownTest, SendsOneHttp10GetWithTheUserAgentAndTheHeaderLine) {
    server.Serve(u"http://info.example.com/film/1.html?id=2"_s, "<html>ok</html>");
    Fetch(u"http://info.example.com/film/1.html?id=2"_s);
    EXPECT_EQ(folder.read(u"out.html"_s), QByteArray("<html>ok</html>"));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Version, "HTTP/1.0");
    EXPECT_EQ(requests[0].Host, "info.example.com");
    EXPECT_EQ(requests[0].Target, "/film/1.html?id=2");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(YDownTest, FetchesOnlyWebAddressesWithAHostAndAPath) {
    server.Serve(u"http://host.example/"_s, "root");
    Fetch(u"http://host.example/"_s);
    EXPECT_EQ(folder.read(u"out.html"_s), QByteArray("root"));
    QFile::remove(u"out.html"_s);

    for (const QString& url : {u"http://host.example"_s, u"HTTP://host.example/"_s, u"Http://host.example/"_s,
                               u"HTTPS://host.example/"_s, u"https://host.example"_s, u"http://"_s, u"http:///path"_s,
                               u"https:///path"_s, u"ftp://host.example/"_s, u""_s, u"host.example/"_s}) {
        Fetch(url);
        EXPECT_FALSE(QFile::exists(u"out.html"_s)) << url.toStdString();
    }
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(YDownTest, FetchesHttpsThroughTheProxyAndChecksTheCertificate) {
    server.Serve(u"https://secure.example/film/1.html?id=2"_s, "over tls");
    server.Redirect(u"http://secure.example/old"_s, u"https://secure.example/film/1.html?id=2"_s, 301);
    Fetch(u"https://secure.example/film/1.html?id=2"_s);
    EXPECT_EQ(folder.read(u"out.html"_s), QByteArray("over tls"));
    Fetch(u"http://secure.example/old"_s, u"moved.html"_s);
    EXPECT_EQ(folder.read(u"moved.html"_s), QByteArray("over tls"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Scheme, "https");
    EXPECT_EQ(requests[0].Version, "HTTP/1.0");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)");

    // A certificate from an authority the system does not trust is refused before any request.
    TestHttpServer stranger;
    const QByteArray trusted = qgetenv("SSL_CERT_FILE");
    qputenv("SSL_CERT_FILE", QFile::encodeName(stranger.AuthorityFile()));
    Fetch(u"https://secure.example/film/1.html?id=2"_s, u"untrusted.html"_s);
    qputenv("SSL_CERT_FILE", trusted);
    EXPECT_FALSE(QFile::exists(u"untrusted.html"_s));
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(YDownTest, WithoutFollowingARedirectTellsItsTarget) {
    server.Redirect(u"https://engine.example/link?url=a"_s, u"/elsewhere?b=1"_s, 302);
    server.Serve(u"https://engine.example/elsewhere?b=1"_s, "target");
    YDown down;
    down.FollowRedirects = false;
    down.Download(u"https://engine.example/link?url=a"_s, QString(), u"out.html"_s, FormHeader);
    EXPECT_EQ(down.RedirectUrl, u"https://engine.example/elsewhere?b=1"_s);
    EXPECT_FALSE(QFile::exists(u"out.html"_s));
    EXPECT_EQ(server.HitCount(u"https://engine.example/elsewhere?b=1"_s), 0);
    down.Download(u"https://engine.example/elsewhere?b=1"_s, QString(), u"out.html"_s, FormHeader);
    EXPECT_TRUE(down.RedirectUrl.isEmpty());
    EXPECT_EQ(folder.read(u"out.html"_s), QByteArray("target"));
}

TEST_F(YDownTest, OnlyAFinal200WritesTheFile) {
    server.Fail(u"http://host.example/missing"_s, 404);
    server.Fail(u"http://host.example/broken"_s, 500);
    Fetch(u"http://host.example/missing"_s);
    EXPECT_FALSE(QFile::exists(u"out.html"_s));

    // A file already there stays as it was.
    folder.write(u"out.html"_s, "earlier");
    Fetch(u"http://host.example/broken"_s);
    Fetch(u"http://host.example/not-registered"_s);
    EXPECT_EQ(folder.read(u"out.html"_s), QByteArray("earlier"));
}

TEST_F(YDownTest, FollowsRedirectsAndSavesOnlyThePageTheyEndAt) {
    server.Redirect(u"http://short.example/a"_s, u"http://other.example/b"_s, 301);
    server.Redirect(u"http://other.example/b"_s, u"/c"_s, 302);
    server.Serve(u"http://other.example/c"_s, "final page");
    Fetch(u"http://short.example/a"_s);
    EXPECT_EQ(folder.read(u"out.html"_s), QByteArray("final page"));

    server.Redirect(u"http://short.example/gone"_s, u"http://other.example/nothing"_s);
    Fetch(u"http://short.example/gone"_s, u"second.html"_s);
    EXPECT_FALSE(QFile::exists(u"second.html"_s));
}

TEST_F(YDownTest, TakesTheBodyInSmallPiecesWithAPauseAfterEach) {
    QByteArray body(10000, 'x');
    for (int i = 0; i < body.size(); ++i)
        body[i] = char('a' + i % 26);
    server.Serve(u"http://host.example/big"_s, body);
    QElapsedTimer timer;
    timer.start();
    Fetch(u"http://host.example/big"_s);
    // At least three pieces of at most 4095 bytes, each followed by its 10 ms pause.
    EXPECT_GE(timer.elapsed(), 3 * DownloadChunkPauseMs);
    EXPECT_EQ(folder.read(u"out.html"_s), body);
}

TEST_F(YDownTest, AnEmpty200ReplyCreatesAnEmptyFile) {
    server.Serve(u"http://host.example/empty"_s, QByteArray());
    Fetch(u"http://host.example/empty"_s);
    ASSERT_TRUE(QFile::exists(u"out.html"_s));
    EXPECT_TRUE(folder.read(u"out.html"_s).isEmpty());
}

TEST_F(YDownTest, AnOutputFileThatCannotBeCreatedEndsTheTransferQuietly) {
    server.Serve(u"http://host.example/page"_s, "content");
    Fetch(u"http://host.example/page"_s, u"no-such-folder/out.html"_s);
    EXPECT_FALSE(QFile::exists(u"no-such-folder/out.html"_s));
    Fetch(u"http://host.example/page"_s, folder.path()); // a folder, not a file
    EXPECT_TRUE(QFileInfo(folder.path()).isDir());
}

TEST_F(YDownTest, ABodyCutShortLeavesWhatWasRead) {
    server.ServeTruncated(u"http://host.example/cut"_s, "first part", 5000);
    Fetch(u"http://host.example/cut"_s);
    EXPECT_EQ(folder.read(u"out.html"_s), QByteArray("first part"));
}

TEST_F(YDownTest, EncodesBlanksAndNonAsciiInTheRequestTarget) {
    server.Serve(u"http://www.sogou.com/web?query=Some%20Film%20%E7%94%B5%E5%BD%B1"_s, "results");
    Fetch(u"http://www.sogou.com/web?query=Some Film 电影"_s);
    EXPECT_EQ(folder.read(u"out.html"_s), QByteArray("results"));
    // Escapes already in the address are sent as they are.
    server.Serve(u"http://www.bing.com/search?q=a+%E4%B8%AD%28"_s, "encoded");
    Fetch(u"http://www.bing.com/search?q=a+%E4%B8%AD%28"_s, u"second.html"_s);
    EXPECT_EQ(folder.read(u"second.html"_s), QByteArray("encoded"));
}

TEST_F(YDownTest, AStopRequestEndsASlowTransferSoon) {
    server.ServeSlowly(u"http://slow.example/page"_s, QByteArray(200, 's'), 10, 100); // about 2 s
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    QElapsedTimer timer;
    timer.start();
    Fetch(u"http://slow.example/page"_s);
    const qint64 elapsed = timer.elapsed();
    stopper.join();
    EXPECT_LT(elapsed, 1800);
    EXPECT_LT(folder.read(u"out.html"_s).size(), 200);

    // Nothing starts while the flag is set.
    server.Serve(u"http://host.example/page"_s, "content");
    Fetch(u"http://host.example/page"_s, u"second.html"_s);
    EXPECT_FALSE(QFile::exists(u"second.html"_s));
    EXPECT_EQ(server.HitCount(u"http://host.example/page"_s), 0);
}

TEST_F(YDownTest, TheTimeLimitEndsATransferWithThePartialBodyKept) {
    server.ServeSlowly(u"http://slow.example/page"_s, QByteArray(100, 's'), 10, 100); // about 1 s
    timeLimitMs = 350;
    Fetch(u"http://slow.example/page"_s);
    const QByteArray partial = folder.read(u"out.html"_s);
    EXPECT_GT(partial.size(), 0);
    EXPECT_LT(partial.size(), 100);
}
