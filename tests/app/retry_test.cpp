// The pipeline's retry service seen from the window: the retry link of a detail page, and closing the
// window while the poster workers download.
#include "library/movie_xml.h"
#include "tests/app/window_harness.h"
#include "tests/support/http_server.h"
#include "tests/support/movie_web.h"
#include "tests/support/poster_images.h"

#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString HeatVideo = u"films/Heat.1995.mkv"_s;

MovieRecord RecordCopy(MovieLibrary& library, const QString& filePath) {
    std::lock_guard lock(library.RecordsMutex);
    for (const MovieRecord& movie : library.Movies)
        if (movie.FilePath == filePath)
            return movie;
    ADD_FAILURE() << "no record for " << filePath.toStdString();
    return {};
}

QString OverviewText(WindowHarness& harness) {
    return harness.js(u"(document.querySelector('#plot') || {}).textContent || ''"_s).toString();
}

} // namespace

TEST(WindowRetry, RetryLinkLooksTheMovieUpAgainAndTheDetailPageShowsTheResult) {
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    WindowHarness harness({{HeatVideo, u"Heat"_s, u"Nothing yet."_s, false}});
    harness.openAndWaitForWall();
    const MovieRecord heat = RecordCopy(harness.library(), harness.moviePath(HeatVideo));
    ServeLookup(server, heat, {u"A fresh story."_s, {u"http://img.test/heat.jpg"_s}});
    const QByteArray poster = NoisyJpeg(300, 444);
    server.Serve(u"http://img.test/heat.jpg"_s, poster, "image/jpeg");

    ASSERT_TRUE(
        harness.actAndWaitForPage([&] { harness.js(u"document.querySelector('.d a').click()"_s); }, u"detail.html"_s));
    ASSERT_TRUE(OverviewText(harness).contains(u"Nothing yet."_s));
    EXPECT_EQ(InfoPageHits(server, heat), 0);

    // The user clicks [重试]: within a second or so the service looks the movie up, rewrites the page,
    // and the window shows it again.
    ASSERT_TRUE(harness.click(u"#retry"_s));
    EXPECT_TRUE(WaitUntil([&] { return OverviewText(harness).contains(u"A fresh story."_s); }, 20000))
        << OverviewText(harness).toStdString();
    EXPECT_EQ(harness.shownPage(), u"detail.html"_s);
    EXPECT_EQ(InfoPageHits(server, heat), 1);
    EXPECT_TRUE(RecordCopy(harness.library(), heat.FilePath).Overview.contains(u"A fresh story."_s));

    // The poster follows the lookup, and the page is shown once more with it.
    EXPECT_TRUE(WaitUntil([&] { return harness.folder().read(u"movies/"_s + HeatVideo + u".jpg"_s) == poster; }));
    EXPECT_TRUE(WaitUntil(
        [&] { return harness.js(u"document.querySelectorAll('.pictures img').length"_s).toInt() == 1; }, 20000));
}

TEST(WindowRetry, ClosingDuringPosterDownloadsEndsEveryThreadWithoutLeftovers) {
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    std::vector<TestMovie> movies;
    for (int n = 0; n < 12; ++n)
        movies.push_back({u"films/Movie.%1.mkv"_s.arg(n), u"Movie %1"_s.arg(n), u"Known."_s, false});
    WindowHarness harness(movies);
    // Each poster takes about 20 s to arrive: the close comes in the middle of ten downloads.
    const QByteArray big = NoisyJpeg(600, 900);
    for (int n = 0; n < 12; ++n) {
        MovieRecord movie;
        movie.FilePath = harness.moviePath(movies[n].relative);
        ReadMovieXml(movie);
        movie.picurl = u"http://img.test/%1.jpg`"_s.arg(n);
        ASSERT_TRUE(WriteMovieXml(movie));
        server.ServeSlowly(u"http://img.test/%1.jpg"_s.arg(n), big, 2000, 50);
    }
    harness.openAndWaitForWall();
    const auto imageRequests = [&] {
        int count = 0;
        for (const TestHttpServer::Request& request : server.Requests())
            count += request.Host == "img.test";
        return count;
    };
    // The test server answers eight requests at a time: close while the first downloads are running.
    ASSERT_TRUE(WaitUntil([&] { return imageRequests() >= 5; }, 20000)) << imageRequests();
    ASSERT_FALSE(QDir(harness.folder().path()).entryList({u"tem*.tmp"_s}, QDir::Files).isEmpty());

    QElapsedTimer clock;
    clock.start();
    harness.frame()->close();
    EXPECT_LT(clock.elapsed(), 1000);
    harness.close(); // every thread ends at its next stop check: the transfers abort

    // Requests the server had not yet read may still show up, but no worker takes another movie.
    EXPECT_LE(imageRequests(), WorkerCount) << "no new download after the close";
    EXPECT_TRUE(QDir(harness.folder().path()).entryList({u"*.tmp"_s}, QDir::Files).isEmpty());
    for (const TestMovie& movie : movies)
        EXPECT_FALSE(QFileInfo::exists(harness.moviePath(movie.relative) + u".jpg"_s));
}
