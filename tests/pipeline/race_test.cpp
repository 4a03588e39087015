// The pipeline running against the test web (lookups on the build thread, posters on the ten workers)
// while this thread does what the window does: stores edit forms, builds filter, wall and detail pages,
// asks for lookups again. Built with ThreadSanitizer this is the data race check; in every build it
// checks that no record, metadata file or page ever shows a movie mixed from two versions.
//
// REELBOARD_RACE_ITERATIONS sets the number of window steps (default 300); more steps also mean more
// movies, so the lookups last as long as the steps.
#include "library/movie_xml.h"
#include "library/title.h"
#include "pages/detail_page.h"
#include "pages/edit.h"
#include "pages/filter_page.h"
#include "pages/related_items.h"
#include "pages/wall_page.h"
#include "pipeline/build_thread.h"
#include "pipeline/stages.h"
#include "pipeline/thread_control.h"
#include "tests/support/http_server.h"
#include "tests/support/movie_web.h"
#include "tests/support/poster_images.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_folder.h"
#include "web/retrieval.h"
#include "web/search.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <set>

using namespace Qt::StringLiterals;

namespace {

constexpr int64_t VideoSize = 30'000'001;
constexpr int VideosPerFolder = 8;

int IterationsWanted() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("REELBOARD_RACE_ITERATIONS", &ok);
    return ok && n > 0 ? n : 300;
}

// Every field an edit writes carries the tag of that edit: "qz<movie>x<version>zq".
QString Tag(int movie, int version) {
    return u"qz%1x%2zq"_s.arg(movie).arg(version);
}

struct Tags {
    std::set<std::pair<int, int>> distinct; // (movie, version)
    int count = 0;                          // occurrences
};

Tags TagsIn(const QString& text) {
    static const QRegularExpression pattern(u"qz(\\d+)x(\\d+)zq"_s);
    Tags tags;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        tags.distinct.insert({m.captured(1).toInt(), m.captured(2).toInt()});
        ++tags.count;
    }
    return tags;
}

QString Describe(const Tags& tags) {
    QStringList parts;
    for (const auto& [movie, version] : tags.distinct)
        parts << Tag(movie, version);
    return parts.join(u", "_s);
}

// A record is one version when its tagged fields all carry one tag, of this movie, and they are all
// nine (an edit), the six a lookup leaves alone (a lookup on an edited record) or none. Records in
// memory must also have the search key of their own values.
QString RecordProblem(const MovieRecord& record, int movie, bool checkSearchKey) {
    Tags all;
    int taggedFields = 0;
    for (const QString* field : {&record.Title, &record.OriginalTitle, &record.CountryOfOrigin, &record.ProductionYear,
                                 &record.Rating, &record.Genres, &record.watched, &record.Overview, &record.Notes}) {
        const Tags tags = TagsIn(*field);
        if (tags.count > 0)
            ++taggedFields;
        all.distinct.insert(tags.distinct.begin(), tags.distinct.end());
    }
    if (all.distinct.size() > 1)
        return u"fields of several versions: "_s + Describe(all);
    if (!all.distinct.empty() && all.distinct.begin()->first != movie)
        return u"fields of another movie: "_s + Describe(all);
    if (taggedFields != 0 && taggedFields != 6 && taggedFields != 9)
        return u"%1 fields of one version, the others of another"_s.arg(taggedFields);
    if (checkSearchKey && record.SearchKey != SearchKeyOf(record))
        return u"search key of another version: "_s + record.SearchKey.left(200);
    return {};
}

// Which version a record is: its tag, and whether the lookup's fields are there.
std::pair<QString, bool> Version(const MovieRecord& record) {
    return {Describe(TagsIn(record.Notes + record.Rating)), record.Overview.contains(u"webstory"_s)};
}

// A detail page or an edit form shows one movie (the test's titles relate to no other).
QString DetailPageProblem(const QString& page) {
    const Tags tags = TagsIn(page);
    return tags.distinct.size() > 1 ? u"detail page mixes "_s + Describe(tags) : QString();
}

// Wall and filter pages: each item's tooltip (six fields), bracket (country and year) and title come
// from one version: 9 tags for an edit, 5 or 6 (the title the edit's) for a lookup on an edited record,
// none otherwise.
QString WallPageProblem(const QString& page) {
    const QStringList items = page.split(u"<div class=d>"_s);
    for (qsizetype i = 1; i < items.size(); ++i) {
        const Tags tags = TagsIn(items[i]);
        if (tags.distinct.size() > 1 || (tags.count != 0 && tags.count != 5 && tags.count != 6 && tags.count != 9))
            return u"wall item with %1 tags: "_s.arg(tags.count) + Describe(tags);
    }
    return {};
}

QString ReadPage(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The window's side of the host: status texts are taken in passing; the ready notice, refreshes and
// rebuilt detail pages are flags the window loop picks up.
struct WindowHost {
    std::mutex mutex;
    std::condition_variable readyWake;
    bool ready = false;
    bool wallRefreshed = false;
    QString changedMovie; // the last movie the pipeline announced as changed
    QString lookingUp;    // display title of the movie being looked up; empty between lookups

    void Attach(MovieLibrary& library) {
        library.Host.ShowStatus = [this](const QString& text) {
            static const QString lookup = u"下载信息:"_s;
            std::lock_guard lock(mutex);
            if (text.startsWith(lookup))
                lookingUp = text.mid(lookup.size());
            else if (text.startsWith(u"下载信息成功:"_s) || text.startsWith(u"下载信息失败:"_s))
                lookingUp.clear();
        };
        library.Host.LibraryReady = [this] {
            {
                std::lock_guard lock(mutex);
                ready = true;
            }
            readyWake.notify_all();
        };
        library.Host.WallRefresh = [this] {
            std::lock_guard lock(mutex);
            wallRefreshed = true;
        };
        library.Host.MovieChanged = [this](const QString& path) {
            std::lock_guard lock(mutex);
            changedMovie = path;
        };
    }
    bool WaitReady(std::chrono::seconds limit) {
        std::unique_lock lock(mutex);
        return readyWake.wait_for(lock, limit, [&] { return ready; });
    }
    QString LookingUp() {
        std::lock_guard lock(mutex);
        return lookingUp;
    }
    bool Take(bool& flag) {
        std::lock_guard lock(mutex);
        return std::exchange(flag, false);
    }
    QString TakeChanged() {
        std::lock_guard lock(mutex);
        return std::exchange(changedMovie, QString());
    }
};

// "<two letters>.<five digits>.mkv", different for each n below 576: no two titles share two
// characters in a row, so none counts as related to another. Letters without "b" and "d", digits
// without 0, 1, 2, 4, 7 and 8: no release marker ("bd", "720", "1080", ...) cuts the title short.
QString UnrelatedName(int n) {
    static const QString letters = u"acefghijklmnopqrstuvwxyz"_s;
    static const QString digits = u"3569"_s;
    QString name = QString(letters[n % 24]) + letters[(n / 24 + n) % 24] + u'.';
    for (int rest = n, place = 0; place < 5; ++place, rest /= 4)
        name += digits[rest % 4];
    return name + u".mkv"_s;
}

bool WorkersDone(MovieLibrary& library) {
    for (int slot = 1; slot <= WorkerCount; ++slot)
        if (!library.ThreadDone[slot])
            return false;
    return true;
}

MovieRecord* Find(MovieLibrary& library, const QString& filePath) {
    std::lock_guard lock(library.RecordsMutex);
    for (MovieRecord& record : library.Movies)
        if (record.FilePath == filePath)
            return &record;
    return nullptr;
}

MovieRecord CopyOf(MovieLibrary& library, const QString& filePath) {
    MovieRecord* record = Find(library, filePath);
    std::lock_guard lock(library.RecordsMutex);
    return record ? *record : MovieRecord();
}

class PipelineRace : public ::testing::Test {
protected:
    struct Movie {
        QString filePath;
        QString displayTitle;
    };

    // Folders of eight videos each, every one without information, so each is looked up and each
    // lookup lists one poster.
    void MakeCollection(int count) {
        QString folderList;
        for (int n = 0; n < count; ++n) {
            const QString folderName = u"F%1"_s.arg(n / VideosPerFolder);
            const QString name = UnrelatedName(n);
            const QString relative = folderName + u'/' + name;
            folder.sparse(relative, VideoSize);
            if (n % VideosPerFolder == 0)
                folderList += folder.file(folderName) + u"\n"_s;

            MovieRecord scanned;
            scanned.FilePath = folder.file(relative);
            scanned.FileName = name;
            scanned.Folder = folder.file(folderName);
            scanned.FolderVideoCount = std::min(VideosPerFolder, count - n / VideosPerFolder * VideosPerFolder);
            scanned.DisplayTitle = TitleFromFileName(name);
            ServeLookup(server, scanned,
                        {u"webstory of %1"_s.arg(n), {u"http://img.test/p%1.jpg"_s.arg(n % posters.size())}});
            movies.push_back({scanned.FilePath, scanned.DisplayTitle});
            byTitle.insert(scanned.DisplayTitle, n);
        }
        folder.write(u"dirs.txt"_s, Utf16Le(folderList));
        for (size_t p = 0; p < posters.size(); ++p)
            server.Serve(u"http://img.test/p%1.jpg"_s.arg(p), posters[p], "image/jpeg");
    }

    // Command 5 as the edit form sends it: the path, then the nine fields.
    QString EditArgument(int movie, int version) const {
        const QString tag = Tag(movie, version);
        const QStringList fields = {movies[size_t(movie)].filePath,
                                    u"T "_s + tag,
                                    u"O "_s + tag,
                                    u"C "_s + tag,
                                    tag,
                                    u"R "_s + tag,
                                    u"G "_s + tag,
                                    u"W "_s + tag,
                                    u"story "_s + tag + u"\nmore "_s + tag,
                                    u"N "_s + tag};
        return fields.join(u'`');
    }

    TempFolder folder;
    TestHttpServer server;
    std::vector<QByteArray> posters{NoisyJpeg(300, 420, 1), NoisyJpeg(300, 420, 2), NoisyJpeg(300, 420, 3)};
    std::vector<Movie> movies;
    QHash<QString, int> byTitle;
};

} // namespace

TEST_F(PipelineRace, WindowStepsDuringLookupsAndDownloadsSeeWholeVersions) {
    const int iterations = IterationsWanted();
    const int movieCount = std::clamp(iterations / 8, 40, 400);
    MakeCollection(movieCount);
    for (const Movie& a : movies)
        for (const Movie& b : movies)
            ASSERT_TRUE(&a == &b || !TitlesMatch(a.displayTitle, b.displayTitle))
                << a.displayTitle.toStdString() << " / " << b.displayTitle.toStdString();

    ProxyEnvironment proxy(server);
    auto library = std::make_shared<MovieLibrary>();
    WindowHost host;
    host.Attach(*library);
    StartLibraryThread(library, 0, [](std::shared_ptr<MovieLibrary> shared) { BuildLibraryThread(shared); });
    // However the test ends, the pipeline is stopped before `host`, which it calls, goes away.
    const struct StopAtExit {
        std::shared_ptr<MovieLibrary> library;
        ~StopAtExit() {
            StopLibraryThreads(library, 5000);
            for (int wait = 0; wait < 10000 && !library->ThreadDone[0]; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    } stopAtExit{library};
    ASSERT_TRUE(host.WaitReady(std::chrono::seconds(60)));

    std::mt19937 random(7);
    auto anyMovie = [&] { return int(random() % movies.size()); };
    // Every fourth movie is edited only while it is looked up, never before its turn: whatever the
    // timing, those must all be looked up and given a poster.
    auto isSpared = [](int movie) { return movie % 4 == 3; };
    auto anyEditable = [&] {
        int movie = anyMovie();
        while (isSpared(movie))
            movie = anyMovie();
        return movie;
    };
    std::set<int> edited;
    int version = 0, steps = 0, turn = 0, editsDuringLookup = 0, stepsDuringDownloads = 0, pagesChecked = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
    auto fail = [&](const QString& what, const QString& problem) {
        ADD_FAILURE() << "step " << steps << ", " << what.toStdString() << ": " << problem.toStdString();
    };

    for (; steps < iterations || !WorkersDone(*library); ++steps) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the pipeline did not finish";
        if (!WorkersDone(*library))
            ++stepsDuringDownloads;
        // While a movie is looked up, every other step saves its edit form: the lookup stores its result
        // at some moment of those saves.
        const auto current = byTitle.constFind(host.LookingUp());
        const bool saveDuringLookup = steps % 2 == 1 && current != byTitle.constEnd();
        const int kind = saveDuringLookup ? 0 : turn++ % 6;
        const int round = turn / 6;
        switch (kind) {
        case 0: { // store an edit form
            const int movie = saveDuringLookup ? *current : anyEditable();
            editsDuringLookup += saveDuringLookup;
            edited.insert(movie);
            const QString page = EditMovieInfo(*library, EditArgument(movie, ++version));
            ASSERT_FALSE(page.isEmpty());
            if (const QString problem = DetailPageProblem(ReadPage(page)); !problem.isEmpty())
                fail(u"detail page after an edit"_s, problem);
            break;
        }
        case 1:
        case 2: {
            const QString page =
                ShowDetail(*library, movies[size_t(anyMovie())].filePath, kind == 1 ? DetailView : EditForm);
            if (const QString problem = DetailPageProblem(ReadPage(page)); !problem.isEmpty())
                fail(u"detail page"_s, problem);
            break;
        }
        case 3: { // the filter, by a version's tag, by text of the web, or by a title letter
            const int pick = round % 3;
            const QString text = pick == 0   ? u"qz%1x"_s.arg(anyMovie())
                                 : pick == 1 ? u"webstory"_s
                                             : QString(QChar(char16_t(u'a' + random() % 26)));
            const QString page = BuildFilterPage(*library, text);
            if (const QString problem = WallPageProblem(ReadPage(page)); !problem.isEmpty())
                fail(u"filter page"_s, problem);
            break;
        }
        case 4: { // a record as the window copies it, and its metadata file as the next start reads it
            const int movie = anyMovie();
            const MovieRecord copy = CopyOf(*library, movies[size_t(movie)].filePath);
            if (const QString problem = RecordProblem(copy, movie, true); !problem.isEmpty())
                fail(u"record in memory"_s, problem);
            MovieRecord stored;
            stored.FilePath = movies[size_t(movie)].filePath;
            ReadMovieXml(stored);
            if (const QString problem = RecordProblem(stored, movie, false); !problem.isEmpty())
                fail(u"metadata file"_s, problem);
            break;
        }
        case 5: // the retry link of a detail page (command 7), or the wall (command 3 without text)
            if (round % 4 == 0) {
                // As the window does it: the record is found under the records lock, queued under the
                // queue lock.
                MovieRecord* record = Find(*library, movies[size_t(anyMovie())].filePath);
                std::lock_guard lock(library->QueueMutex);
                library->RetryQueue.push_back(record);
            } else {
                const QString page = BuildWallPage(*library);
                if (const QString problem = WallPageProblem(ReadPage(page)); !problem.isEmpty())
                    fail(u"wall page"_s, problem);
            }
            break;
        }
        // Pages the pipeline rewrote, as the window reloads them.
        if (host.Take(host.wallRefreshed)) {
            ++pagesChecked;
            if (const QString problem = WallPageProblem(ReadPage(folder.file(u"menu.html"_s))); !problem.isEmpty())
                fail(u"refreshed wall"_s, problem);
        }
        // A changed movie's detail view, as the window builds it again while it is shown.
        if (const QString changed = host.TakeChanged(); !changed.isEmpty()) {
            ++pagesChecked;
            if (const QString problem = DetailPageProblem(ReadPage(ShowDetail(*library, changed, DetailView)));
                !problem.isEmpty())
                fail(u"rebuilt detail page"_s, problem);
        }
    }

    StopLibraryThreads(library, 5000);
    for (int slot = 0; slot <= WorkerCount; ++slot)
        EXPECT_TRUE(library->ThreadDone[slot]) << "thread " << slot << " still running";

    // Afterwards every record and every metadata file is one version, and the pipeline did its work.
    int lookedUp = 0, withPoster = 0, storedDiffers = 0, dueForLookup = 0;
    for (size_t n = 0; n < movies.size(); ++n) {
        const MovieRecord record = CopyOf(*library, movies[n].filePath);
        ASSERT_EQ(record.FilePath, movies[n].filePath) << "movie missing from the library";
        EXPECT_EQ(RecordProblem(record, int(n), true), QString()) << record.FilePath.toStdString();
        MovieRecord stored;
        stored.FilePath = movies[n].filePath;
        ReadMovieXml(stored);
        EXPECT_EQ(RecordProblem(stored, int(n), false), QString()) << stored.FilePath.toStdString();
        // An edit saved while the same movie is looked up must not leave the lookup's result in memory
        // and the edit in the file, or the other way round: the next start would show another movie.
        if (Version(record) != Version(stored))
            ++storedDiffers;
        const bool wasLookedUp = InfoPageHits(server, record) > 0;
        const bool hasPoster = QFileInfo::exists(movies[n].filePath + u".jpg"_s);
        lookedUp += wasLookedUp;
        withPoster += hasPoster;
        // A movie edited before its turn has information already and is neither looked up nor given a
        // poster; one never edited, or edited only during its lookup, gets both.
        if (isSpared(int(n)) || !edited.count(int(n))) {
            ++dueForLookup;
            EXPECT_TRUE(wasLookedUp) << record.FilePath.toStdString();
            EXPECT_TRUE(hasPoster) << record.FilePath.toStdString();
        }
    }
    EXPECT_GE(dueForLookup, movieCount / 4);
    EXPECT_EQ(storedDiffers, 0) << "metadata files holding another version than the record";
    EXPECT_GT(stepsDuringDownloads, 0);
    std::printf("%d movies, %d window steps (%d while the pipeline ran), %d edits of the movie being looked up, "
                "%d pipeline pages checked; %d looked up, %d with a poster; %d metadata files hold another "
                "version than memory\n",
                movieCount, steps, stepsDuringDownloads, editsDuringLookup, pagesChecked, lookedUp, withPoster,
                storedDiffers);
}

// Closing while the build thread starts the workers: the stop sequence looks at the worker slots as
// they are filled, and nothing may start once it has begun, or it would run on unseen. Each round lets
// the build thread reach the workers at another moment of the stop sequence.
TEST(ThreadSlots, NoWorkerStartsOnceTheStopSequenceHasBegun) {
    for (int round = 0; round < 40; ++round) {
        auto library = std::make_shared<MovieLibrary>();
        std::atomic<bool> running{false};
        StartLibraryThread(library, 0, [&running, round](std::shared_ptr<MovieLibrary> shared) {
            running = true;
            std::this_thread::sleep_for(std::chrono::microseconds(round * 300));
            for (int slot = 1; slot <= WorkerCount; ++slot)
                StartLibraryThread(shared, slot, [](std::shared_ptr<MovieLibrary>) {});
        });
        while (!running)
            std::this_thread::yield();
        StopLibraryThreads(library, 1);
        while (!library->ThreadDone[0]) // `running` must outlive the build thread
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // Every worker was either seen (joined or let go) by the stop sequence or never started.
        for (int slot = 1; slot <= WorkerCount; ++slot)
            EXPECT_FALSE(library->WorkerThreads[size_t(slot - 1)].joinable()) << "round " << round << ", slot " << slot;
        StopLibraryThreads(library, 1000);
    }
}

// A lookup cut short by closing found nothing: it must not put back the copy it started from over an
// edit saved while it ran.
TEST(LookupStore, AStoppedLookupKeepsAnEditSavedMeanwhile) {
    TempFolder folder;
    TestHttpServer server;
    ProxyEnvironment proxy(server);
    auto library = std::make_shared<MovieLibrary>();
    MovieRecord movie;
    movie.FilePath = folder.file(u"Heat.1995.mkv"_s);
    movie.FileName = u"Heat.1995.mkv"_s;
    movie.Folder = folder.path();
    movie.FolderVideoCount = 20;
    library->Movies.push_back(movie);
    library->RetryQueue.push_back(&library->Movies[0]);
    // The search results arrive slowly, so the lookup is still downloading when the edit is saved.
    const QString search = SearchAddress(u"bing"_s, SearchTextFor(movie));
    server.ServeSlowly(search, QByteArray(4000, ' '), 100, 100);

    std::thread retry([&] { ServeOneRetry(*library); });
    while (server.HitCount(search) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const QStringList form = {movie.FilePath, u"edited"_s, {}, {}, {}, {}, {}, {}, u"story"_s, u"note"_s};
    ASSERT_FALSE(EditMovieInfo(*library, form.join(u'`')).isEmpty());
    RequestStop(*library);
    retry.join();

    const MovieRecord stored = CopyOf(*library, movie.FilePath);
    EXPECT_EQ(stored.Title, u"edited"_s);
    EXPECT_EQ(stored.Overview, u"story"_s);
    MovieRecord file;
    file.FilePath = movie.FilePath;
    ReadMovieXml(file);
    EXPECT_EQ(file.Title, u"edited"_s);
}
