// What the pipeline fetches, as the user sees it: the wall they look at, the page they are on, the
// status bar. The real pipeline against the local test web.
#include "library/movie_xml.h"
#include "library/title.h"
#include "pipeline/build_thread.h"
#include "pipeline/stages.h"
#include "tests/app/window_harness.h"
#include "tests/app/window_test_support.h"
#include "tests/support/http_server.h"
#include "tests/support/movie_web.h"
#include "tests/support/poster_images.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// The real pipeline, with the test web told about the movies as the scan found them (the search text
// depends on the folder's counts).
CReelboardView::ThreadBody ServingPipeline(std::function<void(const MovieRecord&)> serve) {
    return [serve](std::shared_ptr<MovieLibrary> library) {
        BuildLibrary(*library);
        for (const MovieRecord& movie : library->Movies)
            serve(movie);
        RunPipelineStages(library);
    };
}

MovieRecord WebRecord(const WindowHarness& harness, const QString& relative) {
    MovieRecord movie;
    movie.FilePath = harness.moviePath(relative);
    movie.DisplayTitle = TitleFromFileName(QFileInfo(movie.FilePath).fileName());
    return movie;
}

MovieRecord RecordCopy(MovieLibrary& library, const QString& filePath) {
    std::lock_guard lock(library.RecordsMutex);
    for (const MovieRecord& movie : library.Movies)
        if (movie.FilePath == filePath)
            return movie;
    return {};
}

// Every status text, from the first.
struct StatusLog {
    QStringList texts;
    void attach(CMainFrame* frame) {
        QObject::connect(frame->View(), &CReelboardView::StatusText, frame, [this](const QString& t) { texts << t; });
    }
};

QString Relative(int n) {
    return u"films/Film.%1.mkv"_s.arg(n, 2, 10, QChar(u'0'));
}

} // namespace

TEST(LiveWall, WhatArrivesShowsInTheWallTheUserLooksAtWithHonestProgress) {
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    // A crowded folder (no picture before the poster), a movie alone in its folder, one the web does
    // not know and one whose poster cannot be had.
    std::vector<TestMovie> movies;
    const int count = 50;
    for (int n = 0; n < count; ++n)
        movies.push_back({Relative(n), QString(), QString(), false});
    movies.push_back({u"solo/Lonely.Film.mkv"_s, QString(), QString(), false});
    WindowHarness harness(movies);
    const QByteArray poster = NoisyJpeg(300, 444);
    const QString unknownPath = harness.moviePath(Relative(7)), noPosterPath = harness.moviePath(Relative(9));
    const QString slowPath = harness.moviePath(Relative(3));
    const auto serve = [&](const MovieRecord& record) {
        if (record.FilePath == unknownPath)
            return;
        const QString image = u"http://img.test/%1.jpg"_s.arg(QFileInfo(record.FilePath).completeBaseName());
        ServeLookup(server, record, {u"Found it."_s, {image}});
        if (record.FilePath == noPosterPath)
            server.Fail(image, 404);
        else if (record.FilePath == slowPath)
            server.ServeSlowly(image, poster, 4000, 200); // holds the progress pane for a while
        else
            server.Serve(image, poster, "image/jpeg");
    };
    StatusLog log;
    harness.open(ServingPipeline(serve), [&](CMainFrame* frame) { log.attach(frame); });
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    harness.js(u"window.__mark = 1; window.scrollTo(0, 400)"_s);
    const int scrolled = harness.js(u"Math.round(window.scrollY)"_s).toInt();
    ASSERT_GT(scrolled, 0);

    // While the slow poster is on its way, the pane tells how far the work has come.
    EXPECT_TRUE(WaitUntil([&] { return harness.frame()->ProgressText() == u"信息 51/51  图片 50/51"_s; }, 60000))
        << harness.frame()->ProgressText().toStdString();
    // Then everything is done: the pane goes, the message pane is idle again.
    EXPECT_TRUE(WaitUntil([&] { return harness.frame()->ProgressText().isEmpty(); }, 60000));
    EXPECT_TRUE(WaitUntil([&] { return harness.frame()->MessageText().startsWith(u"查找完成：找到 "_s); }));

    // Every item with a poster shows it and its new information, in the page the user has been
    // looking at all along, at the same place.
    const auto itemsWithPicture = [&] {
        return harness
            .js(u"Array.from(document.querySelectorAll('.d img')).filter(i => i.getAttribute('src')).length"_s)
            .toInt();
    };
    EXPECT_TRUE(WaitUntil([&] { return itemsWithPicture() == count + 1 - 2; })) << itemsWithPicture();
    EXPECT_EQ(harness
                  .js(u"Array.from(document.querySelectorAll('a.s')).filter(a => "
                      "a.textContent.startsWith('[2009]')).length"_s)
                  .toInt(),
              count + 1 - 1);
    EXPECT_TRUE(harness.js(u"window.__mark === 1"_s).toBool()) << "the wall was reloaded";
    EXPECT_EQ(harness.js(u"Math.round(window.scrollY)"_s).toInt(), scrolled);
    EXPECT_EQ(harness.shownPage(), u"menu.html"_s);
    const QString lonely =
        harness
            .js(u"Array.from(document.querySelectorAll('.d')).find(d => d.textContent.includes('lonely film'))"
                ".querySelector('img').getAttribute('src')"_s)
            .toString();
    EXPECT_TRUE(lonely.endsWith(u"Lonely.Film.mkv.thumb.jpg"_s)) << lonely.toStdString();

    const QString unknown = WebRecord(harness, Relative(7)).DisplayTitle;
    const QString noPoster = WebRecord(harness, Relative(9)).DisplayTitle;
    EXPECT_TRUE(log.texts.contains(u"下载信息失败:"_s + unknown));
    EXPECT_FALSE(log.texts.contains(u"下载信息成功:"_s + unknown));
    EXPECT_TRUE(log.texts.contains(u"下载图片失败:"_s + noPoster));
    EXPECT_TRUE(log.texts.contains(u"下载图片失败:"_s + unknown));
    EXPECT_TRUE(log.texts.contains(u"下载图片成功:"_s + WebRecord(harness, Relative(3)).DisplayTitle));
    EXPECT_EQ(log.texts.filter(u"下载信息成功:"_s).size(), count);
    const WorkCounts& counts = harness.library().Counts;
    EXPECT_EQ(counts.LookupsFound, count);
    EXPECT_EQ(counts.PostersStored, count - 1);
}

TEST(LiveWall, ARetryNeverTakesAwayTheUsersPage) {
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    WindowHarness harness({{u"a/Heat.1995.mkv"_s, u"Heat"_s, u"Old story."_s, false},
                           {u"b/Brazil.1985.mkv"_s, u"Brazil"_s, u"Other story."_s, false}});
    harness.openAndWaitForWall();
    ASSERT_TRUE(WaitUntil([&] { return harness.library().Counts.PostersDone == 2; }, 30000));
    const QString heat = harness.moviePath(u"a/Heat.1995.mkv"_s);
    const QString brazil = harness.moviePath(u"b/Brazil.1985.mkv"_s);
    const QByteArray poster = NoisyJpeg(300, 444);
    server.Serve(u"http://img.test/heat.jpg"_s, poster, "image/jpeg");
    int round = 0;
    // Retries Heat and waits until its lookup and poster download have ended.
    const auto retryHeat = [&] {
        const QString story = u"Story %1."_s.arg(++round);
        ServeLookup(server, RecordCopy(harness.library(), heat), {story, {u"http://img.test/heat.jpg"_s}});
        QFile::remove(heat + u".jpg"_s);
        const int postersBefore = harness.library().Counts.PostersDone;
        harness.js(u"window.__mark = 1"_s);
        EXPECT_TRUE(harness.extCommand(7, heat).toBool());
        EXPECT_TRUE(WaitUntil([&] { return harness.library().Counts.PostersDone > postersBefore; }, 30000));
        EXPECT_TRUE(RecordCopy(harness.library(), heat).Overview.contains(story));
        return story;
    };
    const auto stays = [&] { return !WaitUntil([&] { return !harness.js(u"window.__mark === 1"_s).toBool(); }, 1000); };

    // Another movie's page.
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.extCommand(1, brazil); }, u"detail.html"_s));
    retryHeat();
    EXPECT_TRUE(stays());
    EXPECT_TRUE(harness.js(u"document.body.textContent"_s).toString().contains(u"Other story."_s));

    // The movie's own edit form, with typed text.
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.extCommand(4, heat); }, u"detail.html"_s));
    harness.js(u"document.getElementById('title').value = 'Typed by hand'"_s);
    retryHeat();
    EXPECT_TRUE(stays());
    EXPECT_EQ(harness.js(u"document.getElementById('title').value"_s).toString(), u"Typed by hand"_s);

    // The movie's own detail view: shown again with the result and the poster.
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.extCommand(1, heat); }, u"detail.html"_s));
    const QString story = retryHeat();
    EXPECT_TRUE(WaitUntil([&] { return harness.js(u"document.body.textContent"_s).toString().contains(story); }));
    EXPECT_TRUE(
        WaitUntil([&] { return harness.js(u"document.querySelectorAll('.pictures img').length"_s).toInt() == 1; }));
    EXPECT_EQ(harness.shownPage(), u"detail.html"_s);
}

TEST(LiveWall, ARescanDuringLookupsLosesNothing) {
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    std::vector<TestMovie> movies;
    for (int n = 0; n < 12; ++n)
        movies.push_back({Relative(n), QString(), QString(), false});
    WindowHarness harness(movies);
    harness.open(ServingPipeline([&](const MovieRecord& record) {
        ServeLookup(server, record, {u"Found it."_s, {}});
    }));
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    ASSERT_TRUE(WaitUntil([&] { return harness.library().Counts.LookupsDone >= 3; }, 60000));

    const std::weak_ptr<MovieLibrary> old = harness.view()->Library();
    ASSERT_TRUE(harness.actAndWaitForPage([&] { harness.click(u"#rescan"_s); }, u"menu.html"_s, 60000));
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(harness.js(u"document.querySelectorAll('.d').length"_s).toInt(), 12);
    // The new library goes on with the lookups the old one did not finish; each movie ends up with
    // its information, in the record and in its file.
    MovieLibrary& library = harness.library();
    EXPECT_TRUE(WaitUntil([&] { return library.Counts.PostersDone == 12; }, 60000));
    EXPECT_TRUE(WaitUntil([&] { return harness.frame()->MessageText().startsWith(u"查找完成：找到 "_s); }));
    for (const TestMovie& movie : movies) {
        const MovieRecord record = RecordCopy(harness.library(), harness.moviePath(movie.relative));
        EXPECT_TRUE(record.Overview.contains(u"Found it."_s)) << movie.relative.toStdString();
        MovieRecord stored;
        stored.FilePath = record.FilePath;
        ReadMovieXml(stored);
        EXPECT_EQ(stored.Overview, record.Overview) << movie.relative.toStdString();
    }
    EXPECT_LE(library.Counts.LookupsQueued, 12 - 3) << "what the old library found is kept";
}

TEST(LiveWall, ALargeWallPutsEveryCardInPlaceInOrderAndLateChangesStillShow) {
    std::vector<TestMovie> movies;
    for (int i = 0; i < 300; ++i)
        movies.push_back({u"m%1/Film.%1.mkv"_s.arg(i, 3, 10, QChar(u'0')), u"Film %1"_s.arg(i)});
    WindowHarness harness(movies);
    harness.open(QuietPipeline);
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    const auto placed = [&] {
        return harness.js(u"window.ReelboardPlaced ? document.querySelectorAll('main .d').length : -1"_s).toInt();
    };
    const auto inOrder = [&] {
        return harness
            .js(u"Array.from(document.querySelectorAll('main .d a.s')).every((a, i) => a.textContent === 'Film ' + i)"_s)
            .toBool();
    };
    ASSERT_TRUE(WaitUntil([&] { return placed() == 300; })) << placed();
    EXPECT_TRUE(inOrder());
    // A picture far below waits until the view comes near it.
    const QString last = u"document.querySelectorAll('main .d img')[299]"_s;
    EXPECT_FALSE(harness.js(last + u".hasAttribute('src')"_s).toBool());
    harness.js(u"window.scrollTo(0, document.documentElement.scrollHeight)"_s);
    EXPECT_TRUE(
        WaitUntil([&] { return harness.js(last + u".complete && " + last + u".naturalWidth > 0"_s).toBool(); }));

    // A change that arrives while the wall is loaded again, before its later cards are in place, shows too.
    const auto rename = [&](int index, const QString& title) {
        QString path;
        {
            std::lock_guard lock(harness.library().RecordsMutex);
            MovieRecord& record = harness.library().Movies[size_t(index)];
            record.Title = title;
            path = record.FilePath;
        }
        harness.library().Host.MovieChanged(path);
    };
    harness.extCommand(3, QString());
    rename(290, u"Renamed Late"_s);
    ASSERT_TRUE(harness.waitForPage(u"menu.html"_s));
    EXPECT_TRUE(WaitUntil([&] {
        return harness.js(u"document.querySelectorAll('main .d a.s')[290].textContent"_s).toString() ==
               u"Renamed Late"_s;
    }));
    EXPECT_EQ(placed(), 300);
}
