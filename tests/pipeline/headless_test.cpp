#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Headless, PrintsEachStatusTextAsOneLineAndExitsZero) {
    TempFolder temp;
    temp.sparse(u"films/Heat.1995.avi"_s, 30'000'001);
    // Already looked up, so nothing needs the web; any request would go to a closed local port.
    temp.write(u"films/Heat.1995.avi.xml"_s, Utf16Le(u"<Title>Heat</Title><Overview>LA</Overview><picurl></picurl>"_s));
    temp.write(u"dirs.txt"_s, Utf16Le(temp.file(u"films"_s) + u"\r\n"_s));

    QProcess reelboard;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, temp.path());
    env.insert(u"http_proxy"_s, u"http://127.0.0.1:9"_s);
    env.insert(u"https_proxy"_s, u"http://127.0.0.1:9"_s);
    env.remove(u"no_proxy"_s);
    reelboard.setProcessEnvironment(env);
    reelboard.setWorkingDirectory(temp.path());
    reelboard.start(QString::fromUtf8(REELBOARD_BINARY), {u"--headless"_s});
    ASSERT_TRUE(reelboard.waitForFinished(300000));
    EXPECT_EQ(reelboard.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(reelboard.exitCode(), 0);

    // Qt may put its own warnings first; the status lines follow in order.
    QStringList lines = QString::fromUtf8(reelboard.readAllStandardError()).split(u'\n');
    while (!lines.isEmpty() && !lines.first().startsWith(u"搜索目录中"_s))
        lines.removeFirst();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], u"搜索目录中，请等待。。。"_s);
    EXPECT_EQ(lines[1], u"搜索目录中，请等待。。。\uFEFF"_s + temp.file(u"films"_s) + u'\r');
    EXPECT_EQ(lines[2], u"整理数据，请等待。。。"_s);
    EXPECT_TRUE(QFile::exists(temp.file(u"menu.html"_s)));
}

// The command line through the real program, each in an empty folder: what it prints, its exit status,
// and that nothing but a run writes a file or opens a window (a window would keep the process running).
TEST(Headless, CommandLineAnswersWithoutAWindowAndExitsWithItsStatus) {
    struct Case {
        QStringList arguments;
        QList<std::pair<QString, QString>> environment; // empty value: removed
        int exitCode;
        QString output; // expected in standard output
        QString errors; // expected in standard error
        int errorLines; // -1: any number
        bool writes;    // a run: the working (or data) folder gets its files
    };
    const QString noDisplay = u"no display"_s;
    const QList<Case> cases = {
        {{u"--help"_s}, {}, 0, u"Usage: reelboard [options]"_s, {}, 0, false},
        {{u"-h"_s}, {}, 0, u"--data-folder"_s, {}, 0, false},
        {{u"--version"_s}, {}, 0, u"Reelboard 1.05\n"_s, {}, 0, false},
        {{u"-platform"_s, u"offscreen"_s, u"-v"_s}, {}, 0, u"Reelboard 1.05\n"_s, {}, 0, false},
        {{u"--bogus"_s}, {}, 2, {}, u"reelboard: Unknown option 'bogus'."_s, -1, false},
        {{u"--headless"_s, u"--frobnicate"_s}, {}, 2, {}, u"Usage: reelboard [options]"_s, -1, false},
        {{u"stray"_s}, {}, 2, {}, u"Unexpected argument 'stray'"_s, -1, false},
        // No display at all, and one that is named but gone: one line, no abort.
        {{}, {{u"DISPLAY"_s, {}}, {u"WAYLAND_DISPLAY"_s, {}}, {u"QT_QPA_PLATFORM"_s, {}}}, 2, {}, noDisplay, 1, false},
        {{u"--data-folder"_s},
         {{u"DISPLAY"_s, {}}, {u"WAYLAND_DISPLAY"_s, {}}, {u"QT_QPA_PLATFORM"_s, {}}},
         2,
         {},
         u"reelboard --headless"_s,
         1,
         false},
        {{},
         {{u"DISPLAY"_s, u":97531"_s}, {u"WAYLAND_DISPLAY"_s, {}}, {u"QT_QPA_PLATFORM"_s, u"xcb"_s}},
         2,
         {},
         u"display cannot be reached"_s,
         1,
         false},
        // The batch run in the data folder, not in the current one.
        {{u"--headless"_s, u"--data-folder"_s}, {}, 0, {}, u"reelboard: done: movies found 0"_s, -1, true},
    };
    for (const Case& test : cases) {
        const QString name = test.arguments.join(u' ');
        SCOPED_TRACE(name.toStdString());
        TempFolder temp;
        temp.mkdir(u"work"_s);
        temp.mkdir(u"empty"_s);
        const QString dataFolder = temp.file(u"home/.local/share/reelboard"_s);
        if (test.writes) {
            temp.mkdir(u"home/.local/share/reelboard"_s);
            temp.write(u"home/.local/share/reelboard/dirs.txt"_s, Utf16Le(temp.file(u"empty"_s)));
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, temp.file(u"home"_s));
        env.remove(u"XDG_DATA_HOME"_s);
        env.insert(u"http_proxy"_s, u"http://127.0.0.1:9"_s);
        env.remove(u"no_proxy"_s);
        for (const auto& [variable, value] : test.environment)
            value.isEmpty() ? env.remove(variable) : env.insert(variable, value);
        QProcess reelboard;
        reelboard.setProcessEnvironment(env);
        reelboard.setWorkingDirectory(temp.file(u"work"_s));
        reelboard.start(QString::fromUtf8(REELBOARD_BINARY), test.arguments);
        ASSERT_TRUE(reelboard.waitForFinished(120000));
        EXPECT_EQ(reelboard.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(reelboard.exitCode(), test.exitCode);
        const QString output = QString::fromLocal8Bit(reelboard.readAllStandardOutput());
        const QString errors = QString::fromLocal8Bit(reelboard.readAllStandardError());
        EXPECT_TRUE(test.output.isEmpty() ? output.isEmpty() : output.contains(test.output)) << output.toStdString();
#ifdef REELBOARD_BINARY_HAS_WINDOW
        const QString expectedErrors = test.errors;
#else
        // A build without its window refuses every window run with one line of its own.
        const bool windowRun = test.exitCode == 2 && test.errorLines == 1;
        const QString expectedErrors = windowRun ? u"this build has no window"_s : test.errors;
#endif
        EXPECT_TRUE(errors.contains(expectedErrors)) << errors.toStdString();
        if (test.errorLines >= 0) {
            EXPECT_EQ(errors.count(u'\n'), test.errorLines) << errors.toStdString();
        }
        EXPECT_FALSE(errors.contains(u"plugin"_s)) << errors.toStdString();
        EXPECT_TRUE(QDir(temp.file(u"work"_s)).isEmpty()) << "nothing is written in the current folder";
        EXPECT_EQ(QFile::exists(dataFolder + u"/menu.html"_s), test.writes);
    }
}
