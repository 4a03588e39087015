#include "pipeline/download_workers.h"
#include "pipeline/thread_control.h"
#include "tests/support/http_server.h"
#include "tests/support/poster_images.h"
#include "tests/support/temp_folder.h"

#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// Records every status text, from any thread.
struct StatusLog {
    std::mutex mutex;
    QStringList texts;
    void attach(MovieLibrary& library) {
        library.Host.ShowStatus = [this](const QString& text) {
            std::lock_guard lock(mutex);
            texts.append(text);
        };
    }
    QStringList withPrefix(const QString& prefix) {
        std::lock_guard lock(mutex);
        QStringList out;
        for (const QString& t : texts)
            if (t.startsWith(prefix))
                out.append(t.mid(prefix.size()));
        return out;
    }
};

MovieRecord QueuedMovie(const TempFolder& folder, int n, const QString& picurl = {}) {
    MovieRecord movie;
    movie.FilePath = folder.file(u"v%1.mkv"_s.arg(n));
    movie.DisplayTitle = u"title %1"_s.arg(n);
    movie.FolderVideoCount = 30;
    movie.picurl = picurl;
    return movie;
}

bool AllWorkersDone(MovieLibrary& library) {
    for (int slot = 1; slot <= WorkerCount; ++slot)
        if (!library.ThreadDone[slot])
            return false;
    return true;
}

} // namespace

TEST(WorkersTest, TenWorkersHandleEveryMovieExactlyOnce) {
    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    auto library = std::make_shared<MovieLibrary>();
    StatusLog log;
    log.attach(*library);
    const QByteArray image = NoisyJpeg(200, 200);
    for (int n = 0; n < 25; ++n) {
        const QString url = u"http://img.test/%1.jpg"_s.arg(n);
        server.Serve(url, image, "image/jpeg");
        library->PosterQueue.push_back(QueuedMovie(folder, n, url));
    }

    StartPosterWorkers(library);
    JoinWorkerThreads(*library);

    EXPECT_TRUE(library->PosterQueue.empty());
    EXPECT_TRUE(AllWorkersDone(*library));
    for (int n = 0; n < 25; ++n) {
        EXPECT_EQ(server.HitCount(u"http://img.test/%1.jpg"_s.arg(n)), 1) << n;
        EXPECT_TRUE(QFileInfo::exists(folder.file(u"v%1.mkv.jpg"_s.arg(n)))) << n;
    }
    QStringList started = log.withPrefix(u"下载图片:"_s), finished = log.withPrefix(u"下载图片成功:"_s);
    started.sort();
    finished.sort();
    EXPECT_EQ(started.size(), 25);
    EXPECT_EQ(started.removeDuplicates(), 0);
    EXPECT_EQ(started, finished);
    EXPECT_TRUE(started.contains(u"title 24"_s));
}

TEST(WorkersTest, OneWorkerTakesTheQueueInRandomOrder) {
    TempFolder folder;
    MovieLibrary library;
    StatusLog log;
    log.attach(library);
    QStringList queued;
    for (int n = 0; n < 25; ++n) {
        library.PosterQueue.push_back(QueuedMovie(folder, n));
        queued.append(u"title %1"_s.arg(n));
    }

    EXPECT_EQ(PosterWorkerThread(library), 1);

    QStringList order = log.withPrefix(u"下载图片:"_s);
    EXPECT_NE(order, queued) << "25 movies taken in queue order: the pick is not random";
    order.sort();
    queued.sort();
    EXPECT_EQ(order, queued);
    // Each text pair belongs to one movie: start, then the end, with nothing between on one worker.
    // No address, so no poster: the end says so.
    std::lock_guard lock(log.mutex);
    ASSERT_EQ(log.texts.size(), 50);
    for (int i = 0; i < 50; i += 2)
        EXPECT_EQ(log.texts[i + 1], u"下载图片失败:"_s + log.texts[i].mid(5));
    EXPECT_EQ(library.Counts.PostersDone, 25);
    EXPECT_EQ(library.Counts.PostersStored, 0);
}

// Only a poster that arrived is news to the window: a movie alone in its folder shows the picture
// the scan found from the start, and a wall of 10,000 such movies must not be redrawn 10,000 times.
TEST(WorkersTest, OnlyAPosterThatArrivedIsStoredAndAnnounced) {
    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    MovieLibrary library;
    StatusLog log;
    log.attach(library);
    QStringList changed;
    library.Host.MovieChanged = [&](const QString& path) { changed.append(path); };
    server.Serve(u"http://img.test/new.jpg"_s, NoisyJpeg(200, 200), "image/jpeg");

    MovieRecord crowded = QueuedMovie(folder, 1, u"http://img.test/new.jpg"_s);
    MovieRecord servedByFolder = QueuedMovie(folder, 2, u"http://img.test/new.jpg"_s);
    servedByFolder.FolderVideoCount = 1;
    servedByFolder.FolderImageCount = 1;
    servedByFolder.FolderImage = folder.file(u"folder.jpg"_s);
    folder.write(u"folder.jpg"_s, NoisyJpeg(200, 200));
    MovieRecord aloneWithout = QueuedMovie(folder, 3, u"http://img.test/new.jpg"_s);
    aloneWithout.FolderVideoCount = 1;
    for (const MovieRecord& movie : {crowded, servedByFolder, aloneWithout})
        library.PosterQueue.push_back(movie);

    EXPECT_EQ(PosterWorkerThread(library), 1);

    changed.sort();
    EXPECT_EQ(changed, (QStringList{crowded.FilePath, aloneWithout.FilePath}));
    EXPECT_EQ(library.Counts.PostersStored, 2);
    EXPECT_EQ(library.Counts.PostersDone, 3);
    EXPECT_FALSE(QFileInfo::exists(servedByFolder.FilePath + u".jpg"_s));
    EXPECT_EQ(log.withPrefix(u"下载图片成功:"_s).size(), 3) << "the folder's picture is no failure";
}

TEST(WorkersTest, EmptyQueueOrStopEndsEveryWorkerAtOnce) {
    TempFolder folder;
    auto library = std::make_shared<MovieLibrary>();
    StatusLog log;
    log.attach(*library);
    StartPosterWorkers(library);
    JoinWorkerThreads(*library);
    EXPECT_TRUE(AllWorkersDone(*library));

    library->PosterQueue.push_back(QueuedMovie(folder, 1));
    RequestStop(*library);
    StartPosterWorkers(library);
    JoinWorkerThreads(*library);
    EXPECT_EQ(library->PosterQueue.size(), 1u);
    EXPECT_TRUE(log.texts.isEmpty());
}

TEST(WorkersTest, StopDuringSlowDownloadsEndsTheWorkersSoon) {
    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    auto library = std::make_shared<MovieLibrary>();
    // 2 MB bodies take about 5 s each through the throttle; the stop must cut them short.
    const QByteArray big = JpegShapedBytes(2'000'000);
    for (int n = 0; n < 20; ++n) {
        const QString url = u"http://img.test/%1.jpg"_s.arg(n);
        server.Serve(url, big, "image/jpeg");
        library->PosterQueue.push_back(QueuedMovie(folder, n, url));
    }
    std::atomic<int> shown{0};
    library->Host.ShowStatus = [&](const QString&) { ++shown; };
    StartPosterWorkers(library);
    while (shown < WorkerCount)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    StopLibraryThreads(library);
    const int shownAtStop = shown;
    JoinWorkerThreads(*library); // the detached ones are not joinable; wait for their flags instead
    while (!AllWorkersDone(*library))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(shown, shownAtStop) << "no status text after the stop";
    EXPECT_GE(library->PosterQueue.size(), 10u) << "no new movie taken after the stop";
    for (int n = 0; n < 20; ++n)
        EXPECT_FALSE(QFileInfo::exists(folder.file(u"v%1.mkv.jpg"_s.arg(n))));
}
