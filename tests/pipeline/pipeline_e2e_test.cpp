// The whole batch run through the real program: scan, lookups against the test web, posters from
// ten workers, the update notice, thumbnails and the final wall.
#include "library/movie_xml.h"
#include "pipeline/stages.h"
#include "tests/support/http_server.h"
#include "tests/support/movie_web.h"
#include "tests/support/poster_images.h"
#include "tests/support/temp_folder.h"
#include "web/retrieval.h"
#include "web/search.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int64_t VideoSize = 30'000'001;

class PipelineEndToEnd : public ::testing::Test {
protected:
    // A movie as the scan will see it, for addressing its lookup on the test web.
    MovieRecord Scanned(const QString& relative, int videos, int subfolders = 0) {
        MovieRecord movie;
        movie.FilePath = folder.file(relative);
        movie.FileName = QFileInfo(movie.FilePath).fileName();
        movie.Folder = QFileInfo(movie.FilePath).absolutePath();
        movie.FolderVideoCount = videos;
        movie.FolderSubfolderCount = subfolders;
        movie.DisplayTitle = QFileInfo(relative).completeBaseName().toLower().replace(u'.', u' ');
        return movie;
    }
    void WriteMetadata(const QString& relative, const QString& overview, const QStringList& pictures) {
        MovieRecord movie;
        movie.FilePath = folder.file(relative);
        movie.Title = u"◎译　　名　已知"_s;
        movie.Overview = overview;
        movie.picurl = pictures.isEmpty() ? QString() : pictures.join(u'`') + u'`';
        ASSERT_TRUE(WriteMovieXml(movie));
    }
    QString Overview(const QString& relative) {
        MovieRecord movie;
        movie.FilePath = folder.file(relative);
        ReadMovieXml(movie);
        return movie.Overview;
    }
    bool Exists(const QString& relative) const { return QFileInfo::exists(folder.file(relative)); }

    int RunHeadless(QString* errors) {
        QProcess reelboard;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, folder.path());
        env.insert(u"http_proxy"_s, QString::fromLatin1(server.ProxyAddress()));
        env.insert(u"https_proxy"_s, QString::fromLatin1(server.ProxyAddress()));
        env.remove(u"no_proxy"_s);
        env.remove(u"NO_PROXY"_s);
        reelboard.setProcessEnvironment(env);
        reelboard.setWorkingDirectory(folder.path());
        reelboard.start(QString::fromUtf8(REELBOARD_BINARY), {u"--headless"_s});
        EXPECT_TRUE(reelboard.waitForFinished(240000));
        *errors = QString::fromUtf8(reelboard.readAllStandardError());
        return reelboard.exitStatus() == QProcess::NormalExit ? reelboard.exitCode() : -1;
    }

    TempFolder folder;
    TestHttpServer server;
};

} // namespace

TEST_F(PipelineEndToEnd, HeadlessRunLooksUpDownloadsAndWritesTheWall) {
    const QByteArray posterA = NoisyJpeg(300, 420, 1), posterB = NoisyJpeg(300, 420, 2),
                     posterC = NoisyJpeg(300, 420, 3), posterD = NoisyJpeg(300, 420, 4);
    const QByteArray cut = NoisyJpeg(300, 420, 5);
    server.Serve(u"http://img.test/a.jpg"_s, posterA, "image/jpeg");
    server.Serve(u"http://img.test/b.jpg"_s, posterB, "image/jpeg");
    server.Serve(u"http://img.test/c.jpg"_s, posterC, "image/jpeg");
    server.Serve(u"http://img.test/d.jpg"_s, posterD, "image/jpeg");
    server.Serve(u"http://img.test/small.jpg"_s, NoisyJpeg(16, 16), "image/jpeg");
    server.Serve(u"http://img.test/cut.jpg"_s, cut.left(cut.size() - 500), "image/jpeg");
    server.Serve(u"http://img.test/p.png"_s, NoisyPng(300, 300), "image/png");
    server.Serve(u"http://img.test/solo.jpg"_s, posterD, "image/jpeg");
    // "新版本 1.06" in code page 936.
    server.Serve(UpdateCheckUrl(), QByteArray("<b>\xD0\xC2\xB0\xE6\xB1\xBE 1.06</b>"));

    // Films: three videos. Heat is known, with posters listed; Alien is new; Brazil's last search failed.
    for (const char* name : {"Films/Heat.1995.avi", "Films/Alien.1979.mkv", "Films/Brazil.1985.mp4"})
        folder.sparse(QString::fromUtf8(name), VideoSize);
    WriteMetadata(u"Films/Heat.1995.avi"_s, u"known story"_s, {u"http://img.test/p.png"_s, u"http://img.test/c.jpg"_s});
    WriteMetadata(u"Films/Brazil.1985.mp4"_s, u"错误：搜索不到相关信息"_s, {});
    ServeLookup(server, Scanned(u"Films/Alien.1979.mkv"_s, 3),
                {u"alien story"_s,
                 {u"http://img.test/small.jpg"_s, u"http://img.test/a.jpg"_s, u"http://img.test/cut.jpg"_s,
                  u"http://img.test/b.jpg"_s}});
    ServeLookup(server, Scanned(u"Films/Brazil.1985.mp4"_s, 3), {u"brazil story"_s, {u"http://img.test/d.jpg"_s}});
    // A folder of three parts, and a video alone with its own cover.
    for (const char* name : {"Trilogy/Part.One.avi", "Trilogy/Part.Two.avi", "Trilogy/Part.Three.avi"}) {
        folder.sparse(QString::fromUtf8(name), VideoSize);
        ServeLookup(server, Scanned(QString::fromUtf8(name), 3), {u"part story"_s, {}});
    }
    folder.sparse(u"Alone/Solo.2001.mkv"_s, VideoSize);
    folder.write(u"Alone/cover.jpg"_s, NoisyJpeg(400, 600, 9));
    ServeLookup(server, Scanned(u"Alone/Solo.2001.mkv"_s, 1), {u"solo story"_s, {u"http://img.test/solo.jpg"_s}});
    folder.write(u"dirs.txt"_s, Utf16Le(folder.file(u"Films"_s) + u"\r\n"_s + folder.file(u"Trilogy"_s) + u"\r\n"_s +
                                        folder.file(u"Alone"_s) + u"\r\n"_s));

    QString errors;
    ASSERT_EQ(RunHeadless(&errors), 0) << errors.toStdString();

    // Information: looked up where missing or where the search had failed; the known movie untouched.
    EXPECT_EQ(Overview(u"Films/Heat.1995.avi"_s), u"known story"_s);
    EXPECT_TRUE(Overview(u"Films/Alien.1979.mkv"_s).contains(u"alien story"_s));
    EXPECT_TRUE(Overview(u"Films/Brazil.1985.mp4"_s).contains(u"brazil story"_s));
    EXPECT_TRUE(Overview(u"Trilogy/Part.Three.avi"_s).contains(u"part story"_s));
    EXPECT_TRUE(Overview(u"Alone/Solo.2001.mkv"_s).contains(u"solo story"_s));
    EXPECT_TRUE(errors.contains(u"下载信息:alien 1979\n"_s)) << errors.toStdString();
    EXPECT_TRUE(errors.contains(u"下载信息成功:brazil 1985\n"_s));
    EXPECT_FALSE(errors.contains(u"下载信息:heat 1995"_s));

    // Posters: only complete pictures over 20 000 bytes (another format kept as JPEG), numbered in page order.
    EXPECT_EQ(folder.read(u"Films/Alien.1979.mkv.jpg"_s), posterA);
    EXPECT_EQ(folder.read(u"Films/Alien.1979.mkv.1.jpg"_s), posterB);
    EXPECT_FALSE(Exists(u"Films/Alien.1979.mkv.2.jpg"_s));
    EXPECT_TRUE(folder.read(u"Films/Heat.1995.avi.jpg"_s).startsWith("\xFF\xD8")); // the PNG
    EXPECT_EQ(folder.read(u"Films/Heat.1995.avi.1.jpg"_s), posterC);
    EXPECT_EQ(folder.read(u"Films/Brazil.1985.mp4.jpg"_s), posterD);
    EXPECT_FALSE(Exists(u"Trilogy/Part.One.avi.jpg"_s));
    EXPECT_FALSE(Exists(u"Alone/Solo.2001.mkv.jpg"_s)) << "a movie alone with its own cover gets no poster";
    EXPECT_EQ(server.HitCount(u"http://img.test/solo.jpg"_s), 0);
    for (const QString& url : {u"http://img.test/a.jpg"_s, u"http://img.test/b.jpg"_s, u"http://img.test/c.jpg"_s})
        EXPECT_EQ(server.HitCount(url), 1) << url.toStdString();
    EXPECT_TRUE(errors.contains(u"下载图片:alien 1979\n"_s));
    // Nothing to be had for the parts; the folder's cover serves the lone movie.
    EXPECT_TRUE(errors.contains(u"下载图片失败:part two\n"_s));
    EXPECT_TRUE(errors.contains(u"下载图片成功:solo 2001\n"_s));

    // The last wall build made the thumbnails of the new posters and shows the notice.
    EXPECT_TRUE(Exists(u"Films/Alien.1979.mkv.thumb.jpg"_s));
    EXPECT_TRUE(Exists(u"Films/Heat.1995.avi.thumb.jpg"_s));
    EXPECT_TRUE(Exists(u"Alone/cover.thumb.jpg"_s));
    const QString wall = QString::fromUtf8(folder.read(u"menu.html"_s));
    // The count, then how the lookups went, then the notice.
    EXPECT_TRUE(wall.contains(u" 7 部视频 <span class=lookup-count id=lookup-count>查找完成：找到 "_s))
        << wall.left(4000).toStdString();
    EXPECT_TRUE(wall.contains(u"</span> <b>新版本 1.06</b>"_s));
    EXPECT_TRUE(wall.contains(u"Alien.1979.mkv.thumb.jpg"_s));

    // Nothing of the run's own temporaries is left in the working folder.
    EXPECT_TRUE(QDir(folder.path()).entryList({u"*.tmp"_s}, QDir::Files).isEmpty());

    // The last line counts it all: six lookups (Heat was known); three movies given a poster (Solo's is
    // its folder's own, nothing stored).
    EXPECT_TRUE(errors.endsWith(u"\nreelboard: done: movies found 7, folders scanned 3, lookups tried 6, found 6, "
                                u"posters stored 3\n"_s))
        << errors.right(300).toStdString();
}

TEST_F(PipelineEndToEnd, HeadlessRunWithoutAnyWebStillFinishesTheWall) {
    // Every request fails: no information, no posters, no notice, and the run still ends with a wall.
    // No engine answered, so the movie is looked up again at the next start.
    folder.sparse(u"Films/Heat.1995.avi"_s, VideoSize);
    folder.write(u"dirs.txt"_s, Utf16Le(folder.file(u"Films"_s)));
    QString errors;
    ASSERT_EQ(RunHeadless(&errors), 0) << errors.toStdString();
    MovieRecord heat;
    heat.Overview = Overview(u"Films/Heat.1995.avi"_s);
    EXPECT_FALSE(heat.Overview.isEmpty());
    EXPECT_TRUE(NeedsLookup(heat)) << heat.Overview.toStdString();
    EXPECT_FALSE(Exists(u"Films/Heat.1995.avi.jpg"_s));
    const QString wall = QString::fromUtf8(folder.read(u"menu.html"_s));
    EXPECT_TRUE(wall.contains(u" 1 部视频 "_s));
    EXPECT_TRUE(QDir(folder.path()).entryList({u"*.tmp"_s}, QDir::Files).isEmpty());
    EXPECT_TRUE(errors.endsWith(
        u"\nreelboard: done: movies found 1, folders scanned 1, lookups tried 1, found 0, posters stored 0\n"_s))
        << errors.right(300).toStdString();
}

TEST_F(PipelineEndToEnd, HeadlessExitStatusSaysHowTheRunEnded) {
    // A search that answers a few bytes a second keeps the run busy with its lookup until the signal.
    folder.sparse(u"Films/Heat.1995.avi"_s, VideoSize);
    server.ServeSlowly(SearchAddress(u"bing"_s, SearchTextFor(Scanned(u"Films/Heat.1995.avi"_s, 1))),
                       QByteArray(4000, ' '), 10, 300);
    struct Case {
        QString list; // the lines of "dirs.txt"
        int signal;   // sent once the lookup has begun; 0: none
        int exitCode;
        QString summary;
    };
    const QList<Case> cases = {
        {folder.file(u"Gone"_s) + u"\n"_s + folder.file(u"Gone too"_s), 0, 1,
         u"reelboard: done, but dirs.txt named no folder that could be read: "_s},
        {folder.file(u"Films"_s), SIGTERM, 143,
         u"reelboard: stopped by SIGTERM: movies found 1, folders scanned 1, "_s},
        {folder.file(u"Films"_s), SIGINT, 130, u"reelboard: stopped by SIGINT: movies found 1, folders scanned 1, "_s},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.summary.toStdString());
        folder.write(u"dirs.txt"_s, Utf16Le(test.list));
        QProcess reelboard;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, folder.path());
        env.insert(u"http_proxy"_s, QString::fromLatin1(server.ProxyAddress()));
        env.remove(u"no_proxy"_s);
        reelboard.setProcessEnvironment(env);
        reelboard.setWorkingDirectory(folder.path());
        reelboard.setReadChannel(QProcess::StandardError);
        reelboard.start(QString::fromUtf8(REELBOARD_BINARY), {u"--headless"_s});
        QByteArray errors;
        if (test.signal) {
            while (!errors.contains("下载信息:") && reelboard.waitForReadyRead(60000))
                errors += reelboard.readAllStandardError();
            ASSERT_TRUE(errors.contains("下载信息:")) << errors.toStdString();
            ::kill(static_cast<pid_t>(reelboard.processId()), test.signal);
        }
        ASSERT_TRUE(reelboard.waitForFinished(120000));
        errors += reelboard.readAllStandardError();
        EXPECT_EQ(reelboard.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(reelboard.exitCode(), test.exitCode);
        const QStringList lines = QString::fromUtf8(errors).trimmed().split(u'\n');
        EXPECT_TRUE(lines.last().startsWith(test.summary)) << errors.toStdString();
        // A stopped lookup stores nothing: the movie is looked up again next time.
        EXPECT_TRUE(Overview(u"Films/Heat.1995.avi"_s).isEmpty());
    }
}
