#include "tests/support/temp_folder.h"

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
