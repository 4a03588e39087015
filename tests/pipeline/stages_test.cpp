#include "extract/labels.h"
#include "library/movie_xml.h"
#include "pages/edit.h"
#include "pipeline/identify.h"
#include "pipeline/stages.h"
#include "pipeline/thread_control.h"
#include "tests/support/movie_web.h"
#include "tests/support/poster_images.h"
#include "tests/support/temp_folder.h"
#include "web/retrieval.h"
#include "web/search.h"

#include <QFileInfo>
#include <QStringList>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString SearchFailed = u"错误：搜索不到相关信息"_s;
const QString NothingExtracted = u"错误：提取不到信息"_s;

class StagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.mkdir(u"Films"_s);
        library->Movies.reserve(16); // records are referenced while more are added
        library->Host.ShowStatus = [this](const QString& text) {
            std::lock_guard lock(mutex);
            statuses.append(text);
        };
        library->Host.WallRefresh = [this] {
            std::lock_guard lock(mutex);
            ++refreshes;
            wallAtRefresh = QFileInfo::exists(u"menu.html"_s);
        };
        library->Host.MovieChanged = [this](const QString& path) {
            std::lock_guard lock(mutex);
            changed.append(path);
            changedAt.push_back(std::chrono::steady_clock::now());
        };
    }

    MovieRecord& AddMovie(const QString& name, const QString& overview = {}) {
        MovieRecord movie;
        movie.FileName = name + u".mkv"_s;
        movie.Folder = folder.file(u"Films"_s);
        movie.FilePath = movie.Folder + u'/' + movie.FileName;
        movie.SearchKey = movie.FilePath.toLower();
        movie.DisplayTitle = name.toLower();
        movie.FolderVideoCount = 12;
        movie.Overview = overview;
        library->Movies.push_back(movie);
        return library->Movies.back();
    }

    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy{server};
    std::shared_ptr<MovieLibrary> library = std::make_shared<MovieLibrary>();
    std::mutex mutex;
    QStringList statuses;
    int refreshes = 0;
    bool wallAtRefresh = false;
    QStringList changed;
    std::vector<std::chrono::steady_clock::time_point> changedAt;
};

} // namespace

TEST(NeedsLookupTest, OnlyEmptyOrSearchFailedOverview) {
    MovieRecord movie;
    EXPECT_TRUE(NeedsLookup(movie));
    movie.Overview = SearchFailed;
    EXPECT_TRUE(NeedsLookup(movie));
    movie.Overview = u"旧文字 "_s + SearchFailed;
    EXPECT_TRUE(NeedsLookup(movie));
    movie.Overview = NothingExtracted;
    EXPECT_FALSE(NeedsLookup(movie));
    movie.Overview = u"错误：没有找到资料。。。"_s;
    EXPECT_FALSE(NeedsLookup(movie));
}

TEST_F(StagesTest, LookupStageFetchesOnlyWhatIsMissingAndQueuesEveryMovie) {
    AddMovie(u"Alpha"_s);
    AddMovie(u"Beta"_s, SearchFailed);
    AddMovie(u"Gamma"_s, NothingExtracted);
    AddMovie(u"Delta"_s, u"known"_s);
    for (const MovieRecord& movie : library->Movies)
        ServeLookup(server, movie, {u"found " + movie.DisplayTitle, {u"http://img.test/"_s + movie.DisplayTitle}});
    AddMovie(u"Epsilon"_s); // the web knows nothing of it

    // A clock that stands still: the first change is written at once, the rest once at the end.
    EXPECT_TRUE(RunLookupStage(*library, [] { return qint64(0); }));

    EXPECT_EQ(InfoPageHits(server, library->Movies[0]), 1);
    EXPECT_EQ(InfoPageHits(server, library->Movies[1]), 1);
    EXPECT_EQ(InfoPageHits(server, library->Movies[2]), 0);
    EXPECT_EQ(InfoPageHits(server, library->Movies[3]), 0);
    EXPECT_TRUE(library->Movies[0].Overview.contains(u"found alpha"_s));
    EXPECT_TRUE(library->Movies[1].Overview.contains(u"found beta"_s));
    EXPECT_EQ(library->Movies[2].Overview, NothingExtracted);
    EXPECT_EQ(library->Movies[3].Overview, u"known"_s);
    EXPECT_TRUE(library->Movies[4].Overview.startsWith(u"错误："_s));
    EXPECT_EQ(statuses,
              (QStringList{u"下载信息:alpha"_s, u"下载信息成功:alpha"_s, u"下载信息:beta"_s, u"下载信息成功:beta"_s,
                           u"下载信息:epsilon"_s, u"下载信息失败:epsilon"_s, u"查找完成：找到 3 部，未找到 2 部"_s}));
    EXPECT_EQ(library->LookupSummary, u"查找完成：找到 3 部，未找到 2 部"_s) << "Gamma's old failure counts too";
    EXPECT_EQ(changed,
              QStringList({library->Movies[0].FilePath, library->Movies[1].FilePath, library->Movies[4].FilePath}));
    EXPECT_EQ(library->Counts.LookupsQueued, 3);
    EXPECT_EQ(library->Counts.LookupsDone, 3);
    EXPECT_EQ(library->Counts.LookupsFound, 2);
    EXPECT_EQ(refreshes, 2);
    EXPECT_TRUE(wallAtRefresh) << "the wall is rewritten before the refresh is posted";
    EXPECT_FALSE(library->WallPagePath.isEmpty());

    // Copies in Movies order, holding what the lookup found (the workers need picurl).
    ASSERT_EQ(library->PosterQueue.size(), 5u);
    EXPECT_EQ(library->Counts.PostersQueued, 5);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(library->PosterQueue[i].FilePath, library->Movies[i].FilePath);
    EXPECT_EQ(library->PosterQueue[0].picurl, library->Movies[0].picurl);
    EXPECT_TRUE(library->PosterQueue[0].picurl.contains(u"http://img.test/alpha"_s));
}

// Sites that refuse give no information and are left alone for the rest of the stage; a movie they
// kept from being found is looked up again at the next start, and the status text tells who refused.
TEST_F(StagesTest, ARefusingSiteIsSkippedAndItsMovieLeftForAnotherLookup) {
    MovieRecord& found = AddMovie(u"Film A"_s);
    MovieRecord& refused = AddMovie(u"Film B"_s);
    ServeLookup(server, found, {u"found film a"_s, {}});
    const auto results = [](const QStringList& links) {
        QString page = u"<html><body><ol>"_s;
        for (const QString& link : links)
            page += u"<li><a href=\""_s + link + u"\">result</a></li>"_s;
        return (page + u"</ol></body></html>"_s).toUtf8();
    };
    const QString databaseA = u"http://www.imdb.com/title/tt0000001/"_s;
    const QString databaseB = u"http://www.imdb.com/title/tt0000002/"_s;
    const QString check = u"http://check.example/b.html"_s;
    const QString firewall = u"http://waf.example/b.html"_s;
    server.Serve(SearchAddress(u"bing"_s, SearchTextFor(found)), results({databaseA, InfoPageUrl(found)}));
    server.Serve(SearchAddress(u"bing"_s, SearchTextFor(refused)), results({databaseB, check, firewall}));
    server.Reply(databaseA, 429, {"Retry-After: 120"}, "<html><body>slow down</body></html>");
    server.Serve(databaseB, "<html><body>never asked</body></html>");
    server.Serve(check, "<html><head><title>安全验证</title></head><body><form><p>请输入验证码</p>"
                        "<input name=\"captcha\"></form></body></html>");
    server.Reply(firewall, 202, {"x-amzn-waf-action: challenge"});

    EXPECT_TRUE(RunLookupStage(*library, [] { return qint64(0); }));

    // The database refused the first movie; its next candidate gave the information.
    EXPECT_EQ(server.HitCount(databaseA), 1);
    EXPECT_EQ(found.infourl, InfoPageUrl(found));
    EXPECT_TRUE(found.Overview.contains(u"found film a"_s));
    // The database rests; the other two refuse in their own ways and nothing of theirs is stored.
    EXPECT_EQ(server.HitCount(databaseB), 0);
    EXPECT_EQ(server.HitCount(check), 1);
    EXPECT_EQ(server.HitCount(firewall), 1);
    EXPECT_EQ(refused.Overview, SearchFailed);
    EXPECT_TRUE(refused.infourl.isEmpty());
    EXPECT_TRUE(NeedsLookup(refused));
    EXPECT_FALSE(QFileInfo::exists(refused.FilePath + u".info.htm"_s));
    MovieRecord saved;
    saved.FilePath = refused.FilePath;
    ReadMovieXml(saved);
    EXPECT_EQ(saved.Overview, SearchFailed);
    EXPECT_EQ(statuses, (QStringList{u"下载信息:film a"_s, u"下载信息成功:film a"_s, u"下载信息:film b"_s,
                                     u"下载信息失败:film b（www.imdb.com 暂不访问：刚拒绝过；"
                                     u"check.example 拒绝：要求验证；waf.example 拒绝：防火墙质询（HTTP 202））"_s,
                                     u"查找完成：找到 1 部，未找到 1 部"_s}));
    EXPECT_EQ(library->Counts.LookupsFound, 1);
}

// The wall is rewritten at most once per second of the stage's clock, which here moves only when a
// lookup begins: the first change at once, a change owed since then once the second has passed (also
// when later lookups find nothing), and once more when the stage ends, for the counts in its head.
TEST_F(StagesTest, LookupStageRewritesTheWallAtMostOnceASecondAndOnceAtTheEnd) {
    struct Case {
        const char* name;
        qint64 stepMs;      // the clock's advance at the start of each lookup
        QString found;      // per movie: '+' the lookup finds information, '-' it finds nothing
        int rewrites;       // walls rewritten (each followed by a refresh post)
        int statusesAtLast; // status texts shown before the last rewrite
    };
    const Case cases[] = {
        {"frozen clock: the first and the last", 0, u"+++++"_s, 2, 10},
        {"a second per lookup: every one, and the counts", 1000, u"+++++"_s, 6, 10},
        {"400 ms per lookup: at 0.4 s, 1.6 s and the end", 400, u"+++++"_s, 3, 10},
        {"nothing found: once at the end, to say so", 1000, u"-----"_s, 1, 10},
        {"found twice, then nothing: the second shown once the second passes", 600, u"++---"_s, 3, 10},
    };
    int run = 0;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ++run; // the server keeps what it served for earlier cases: new movies each time
        library = std::make_shared<MovieLibrary>();
        library->Movies.reserve(8);
        for (int i = 0; i < test.found.size(); ++i) {
            const MovieRecord& movie = AddMovie(u"Run%1 Movie%2"_s.arg(run).arg(i));
            if (test.found[i] == u'+')
                ServeLookup(server, movie, {u"found"_s, {}});
        }
        qint64 clock = 0;
        int statusesAtLast = 0;
        library->Host.ShowStatus = [&](const QString& text) {
            if (text.startsWith(u"下载信息:"_s))
                clock += test.stepMs;
            statuses.append(text);
        };
        library->Host.WallRefresh = [&] {
            ++refreshes;
            statusesAtLast = statuses.size();
        };
        statuses.clear();
        refreshes = 0;

        EXPECT_TRUE(RunLookupStage(*library, [&clock] { return clock; }));
        EXPECT_EQ(refreshes, test.rewrites);
        EXPECT_EQ(statusesAtLast, test.statusesAtLast);
        EXPECT_EQ(QFileInfo::exists(u"menu.html"_s), test.rewrites > 0);
        EXPECT_EQ(statuses.size(), 11) << "the counts come last";
        QFile::remove(u"menu.html"_s);
    }
}

TEST_F(StagesTest, StopDuringLookupStageEndsItAfterTheMovieInProgress) {
    AddMovie(u"Alpha"_s);
    AddMovie(u"Beta"_s);
    for (const MovieRecord& movie : library->Movies)
        ServeLookup(server, movie, {u"found"_s, {}});
    library->Host.ShowStatus = [this](const QString& text) {
        if (text.startsWith(u"下载信息成功:"_s))
            RequestStop(*library);
    };

    EXPECT_FALSE(RunLookupStage(*library));
    EXPECT_EQ(library->PosterQueue.size(), 1u);
    EXPECT_EQ(InfoPageHits(server, library->Movies[1]), 0);
    EXPECT_EQ(refreshes, 0) << "no call into the window after a stop";
}

TEST_F(StagesTest, PostersArriveWhileTheLookupsGoOnAndTheWorkersEndAfterThem) {
    AddMovie(u"Alpha"_s);
    AddMovie(u"Beta"_s);
    for (const MovieRecord& movie : library->Movies) {
        const QString picture = u"http://img.test/"_s + movie.DisplayTitle + u".jpg"_s;
        server.Serve(picture, NoisyJpeg(200, 300), "image/jpeg");
        ServeLookup(server, movie, {u"found"_s, {picture}});
    }
    // Beta's lookup cannot end before Alpha's poster is on disk: only a worker running beside the
    // lookups can store it.
    const QString alphaPoster = library->Movies[0].FilePath + u".jpg"_s;
    const QString betaPoster = library->Movies[1].FilePath + u".jpg"_s;
    server.Hold(InfoPageUrl(library->Movies[1]));
    std::thread pipeline([this] { EXPECT_TRUE(RunLookupsWithWorkers(library)); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!QFileInfo::exists(alphaPoster) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(QFileInfo::exists(alphaPoster));
    EXPECT_EQ(library->Counts.LookupsDone, 1);
    server.Release(InfoPageUrl(library->Movies[1]));
    pipeline.join();
    JoinWorkerThreads(*library);
    EXPECT_TRUE(QFileInfo::exists(betaPoster)) << "a movie queued after the others waited is still taken";
    EXPECT_TRUE(library->PosterQueue.empty());
    EXPECT_EQ(library->Counts.PostersDone, 2);
    for (int slot = 1; slot <= WorkerCount; ++slot)
        EXPECT_TRUE(library->ThreadDone[slot]) << slot;
}

TEST_F(StagesTest, AUsersOwnSearchOffersResultsAndOnlyAPickedOneIsReadIntoTheMovie) {
    MovieRecord& movie = AddMovie(u"Obscure"_s, NothingExtracted);
    ServeLookup(server, movie, {u"found it"_s, {}});
    const QString words = u"黑暗 骑士"_s;
    server.Serve(
        SearchAddress(u"bing"_s, words),
        (u"<html><body><h2><a href=\""_s + InfoPageUrl(movie) +
         u"\">黑暗骑士 &amp; <b>影评</b></a></h2><a href=\"http://other.test/x.html\">别的</a></body></html>"_s)
            .toUtf8());

    EXPECT_FALSE(QueueIdentifySearch(*library, movie.FilePath + u"x"_s, words));
    EXPECT_FALSE(QueueIdentifySearch(*library, movie.FilePath, u"  "_s));
    ASSERT_TRUE(QueueIdentifySearch(*library, movie.FilePath, words));
    ASSERT_TRUE(ServeOneIdentify(*library));
    std::vector<LookupCandidate> found = library->UserLookups.value(movie.FilePath).Found;
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].Title, u"黑暗骑士 & 影评"_s);
    EXPECT_EQ(found[0].Site, u"films.test"_s);
    EXPECT_EQ(found[0].Url, InfoPageUrl(movie));
    EXPECT_EQ(library->UserLookups.value(movie.FilePath).State, u"searched"_s);

    // A page may ask only for what the search found.
    EXPECT_FALSE(QueueIdentifyPick(*library, movie.FilePath, u"http://elsewhere.test/"_s));
    ASSERT_TRUE(QueueIdentifyPick(*library, movie.FilePath, InfoPageUrl(movie)));
    ASSERT_TRUE(ServeOneIdentify(*library));
    EXPECT_FALSE(ServeOneIdentify(*library));
    EXPECT_TRUE(movie.Overview.contains(u"found it"_s));
    EXPECT_EQ(CleanFieldValue(movie.Title), u"obscure"_s);
    EXPECT_FALSE(library->UserLookups.contains(movie.FilePath));
    EXPECT_EQ(library->LookupSummary, u"查找完成：找到 1 部，未找到 0 部"_s);
    MovieRecord stored;
    stored.FilePath = movie.FilePath;
    ReadMovieXml(stored);
    EXPECT_EQ(stored.Overview, movie.Overview);
    EXPECT_TRUE(changed.contains(movie.FilePath));
}

TEST_F(StagesTest, UpdateNoticeIsStoredCleanedAndShownOnTheWall) {
    // "新版本" in code page 936, with a script the notice must not carry onto the wall.
    server.Serve(UpdateCheckUrl(), QByteArray("<b>\xD0\xC2\xB0\xE6\xB1\xBE</b><script>alert(1)</script>"));
    RunUpdateCheck(*library);
    EXPECT_EQ(library->UpdateNotice, u"<b>新版本</b>"_s);
    EXPECT_EQ(server.HitCount(UpdateCheckUrl()), 1);
    EXPECT_TRUE(QFileInfo::exists(u"menu.html"_s));
    EXPECT_FALSE(library->WallPagePath.isEmpty());
}

TEST_F(StagesTest, UpdateNoticeKeepsItsValueWhenTheServerFailsAndEmptiesOnAnEmptyReply) {
    library->UpdateNotice = u"old"_s;
    folder.write(u"update.tmp"_s, "stale");
    server.Fail(UpdateCheckUrl(), 404);
    RunUpdateCheck(*library);
    EXPECT_EQ(library->UpdateNotice, u"old"_s);
    EXPECT_FALSE(QFileInfo::exists(u"update.tmp"_s)) << "the stale reply is deleted before asking";
    EXPECT_FALSE(QFileInfo::exists(u"menu.html"_s));

    server.Serve(UpdateCheckUrl(), "");
    RunUpdateCheck(*library);
    EXPECT_EQ(library->UpdateNotice, u""_s);
    EXPECT_TRUE(QFileInfo::exists(u"menu.html"_s));
}

TEST_F(StagesTest, RetryServesTheLastRequestFirstAndShowsTheNewPage) {
    MovieRecord& alpha = AddMovie(u"Alpha"_s, NothingExtracted);
    MovieRecord& beta = AddMovie(u"Beta"_s, NothingExtracted);
    ServeLookup(server, alpha, {u"alpha again"_s, {}});
    ServeLookup(server, beta, {u"beta again"_s, {u"http://img.test/beta.jpg"_s}});
    server.Serve(u"http://img.test/beta.jpg"_s, NoisyJpeg(300, 300), "image/jpeg");
    library->RetryQueue = {&alpha, &beta};

    ASSERT_TRUE(ServeOneRetry(*library));
    EXPECT_TRUE(beta.Overview.contains(u"beta again"_s));
    EXPECT_EQ(alpha.Overview, NothingExtracted);
    EXPECT_TRUE(QFileInfo::exists(beta.FilePath + u".jpg"_s));
    // Announced once after the lookup and once more when the poster is there; no page is written
    // behind the window's back.
    EXPECT_EQ(changed, QStringList({beta.FilePath, beta.FilePath}));
    EXPECT_FALSE(QFileInfo::exists(u"detail.html"_s));

    ASSERT_TRUE(ServeOneRetry(*library));
    EXPECT_TRUE(alpha.Overview.contains(u"alpha again"_s));
    EXPECT_EQ(changed.size(), 3) << "no poster stored, so no second notice";
    EXPECT_EQ(changed.last(), alpha.FilePath);
    EXPECT_FALSE(ServeOneRetry(*library));
    EXPECT_TRUE(library->RetryQueue.empty());
}

TEST_F(StagesTest, RetryServiceServesOneRequestASecondUntilStopped) {
    MovieRecord& alpha = AddMovie(u"Alpha"_s, NothingExtracted);
    MovieRecord& beta = AddMovie(u"Beta"_s, NothingExtracted);
    ServeLookup(server, alpha, {u"alpha again"_s, {}});
    ServeLookup(server, beta, {u"beta again"_s, {}});
    {
        std::lock_guard lock(library->QueueMutex);
        library->RetryQueue = {&alpha, &beta};
    }
    std::thread service([library = library] { RunRetryService(*library); });
    while (true) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::lock_guard lock(mutex);
        if (changed.size() >= 2)
            break;
    }
    RequestStop(*library);
    service.join(); // the sleep wakes on the stop
    std::lock_guard lock(mutex);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_GE(changedAt[1] - changedAt[0], std::chrono::milliseconds(900));
    EXPECT_TRUE(beta.Overview.contains(u"beta again"_s));
    EXPECT_TRUE(alpha.Overview.contains(u"alpha again"_s));
}

// The information page is held until the user's edit is saved, so the lookup certainly began before
// the edit and ends after it: the fields the user typed stay, the ones the lookup found are added,
// and the metadata file holds the same version as the record. Both the lookup stage and a retry.
TEST_F(StagesTest, AnEditSavedDuringALookupKeepsTheUsersFields) {
    for (const bool retry : {false, true}) {
        SCOPED_TRACE(retry ? "retry service" : "lookup stage");
        library = std::make_shared<MovieLibrary>();
        MovieRecord& movie = AddMovie(retry ? u"Beta"_s : u"Alpha"_s, retry ? NothingExtracted : QString());
        ServeLookup(server, movie, {u"found text"_s, {}});
        const QString page = InfoPageUrl(movie);
        server.Hold(page);
        if (retry)
            library->RetryQueue = {&movie};

        std::thread lookup([library = library, retry] {
            if (retry)
                ServeOneRetry(*library);
            else
                RunLookupStage(*library);
        });
        while (InfoPageHits(server, movie) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const QStringList form = {movie.FilePath, {}, {}, {}, {}, {}, {}, u"1"_s, u"typed"_s, u"my note"_s};
        ASSERT_FALSE(EditMovieInfo(*library, form.join(u'`')).isEmpty());
        server.Release(page);
        lookup.join();

        EXPECT_EQ(movie.Overview, u"typed"_s);
        EXPECT_EQ(movie.Notes, u"my note"_s);
        EXPECT_EQ(movie.watched, u"1"_s);
        EXPECT_TRUE(movie.ProductionYear.contains(u"2009"_s)) << "what the lookup found is stored too";
        EXPECT_FALSE(movie.infourl.isEmpty());
        EXPECT_EQ(movie.SearchKey, SearchKeyOf(movie));
        MovieRecord file;
        file.FilePath = movie.FilePath;
        ReadMovieXml(file);
        for (const auto field : {&MovieRecord::Overview, &MovieRecord::Notes, &MovieRecord::watched,
                                 &MovieRecord::infourl, &MovieRecord::movieurl, &MovieRecord::picurl})
            EXPECT_EQ(file.*field, movie.*field);
    }
}
