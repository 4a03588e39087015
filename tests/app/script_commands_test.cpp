#include "app/script_commands.h"
#include "tests/support/temp_folder.h"

#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

MovieRecord Movie(const QString& path) {
    MovieRecord movie;
    movie.FilePath = path;
    movie.FileName = path.section(u'/', -1);
    movie.Folder = path.section(u'/', 0, -2);
    movie.DisplayTitle = movie.FileName;
    movie.SearchKey = path.toLower();
    return movie;
}

struct RecordingShell {
    QStringList opened;
    QStringList shown;
    ShellCalls calls() {
        return {[this](const QString& path) { opened << path; }, [this](const QString& path) { shown << path; }};
    }
};

} // namespace

TEST(ScriptCommands, ShellCommandsOnlyForPathsOfMovies) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(u"/films/A.mkv"_s), Movie(u"/films/b.mkv"_s)};
    RecordingShell shell;
    EXPECT_TRUE(RunScriptCommand(library, 2, u"/films/A.mkv"_s, shell.calls()).isEmpty());
    EXPECT_TRUE(RunScriptCommand(library, 6, u"/films/b.mkv"_s, shell.calls()).isEmpty());
    for (const QString& other : {u"/films/a.mkv"_s, u"/etc/passwd"_s, u"/films/A.mkv "_s, u"https://x/"_s}) {
        RunScriptCommand(library, 2, other, shell.calls());
        RunScriptCommand(library, 6, other, shell.calls());
    }
    EXPECT_EQ(shell.opened, QStringList{u"/films/A.mkv"_s});
    EXPECT_EQ(shell.shown, QStringList{u"/films/b.mkv"_s});
}

TEST(ScriptCommands, RandomPlayOnAnEmptyLibraryDoesNothing) {
    TempFolder folder;
    MovieLibrary library;
    RecordingShell shell;
    EXPECT_TRUE(PickRandomMovie(library).isEmpty());
    EXPECT_TRUE(RunScriptCommand(library, 2, QString(), shell.calls()).isEmpty());
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"detail.html"_s)));
}

TEST(ScriptCommands, RetryQueuesTheFirstRecordOfAnExactPath) {
    MovieLibrary library;
    library.Movies = {Movie(u"/films/a.mkv"_s), Movie(u"/films/b.mkv"_s), Movie(u"/films/b.mkv"_s)};
    RetryLookup(library, u"/films/B.mkv"_s);
    RetryLookup(library, u"/films/c.mkv"_s);
    EXPECT_TRUE(library.RetryQueue.empty());
    RunScriptCommand(library, 7, u"/films/b.mkv"_s, {});
    RunScriptCommand(library, 7, u"/films/b.mkv"_s, {});
    ASSERT_EQ(library.RetryQueue.size(), 2u);
    EXPECT_EQ(library.RetryQueue[0], &library.Movies[1]);
    EXPECT_EQ(library.RetryQueue[1], &library.Movies[1]);
}
