#include "app/temp_files.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TempFiles, OnlyTheNamesReelboardGivesItsTemporaries) {
    for (const QString& name : {u"update.tmp"_s, u"temAbC123.tmp"_s, u"tem000000.tmp"_s})
        EXPECT_TRUE(IsOwnTempFileName(name)) << name.toStdString();
    for (const QString& name :
         {u"notes.tmp"_s, u"temp.tmp"_s, u"tem12345.tmp"_s, u"tem1234567.tmp"_s, u"temAbC12-.tmp"_s, u"TEMABC123.tmp"_s,
          u"temABC123.TMP"_s, u"update.tmp.bak"_s, u"Update.tmp"_s})
        EXPECT_FALSE(IsOwnTempFileName(name)) << name.toStdString();
}

TEST(TempFiles, DeletesOursAndKeepsEverythingElse) {
    TempFolder folder;
    folder.write(u"update.tmp"_s, "x");
    folder.write(u"temAbC123.tmp"_s, "x");
    folder.write(u"notes.tmp"_s, "mine");
    folder.write(u"target.txt"_s, "keep");
    folder.mkdir(u"tem111111.tmp"_s); // a folder with our name stays
    ASSERT_TRUE(QFile::link(folder.file(u"target.txt"_s), folder.file(u"tem222222.tmp"_s)));

    DeleteOwnTempFiles(folder.path());
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"update.tmp"_s)));
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"temAbC123.tmp"_s)));
    EXPECT_TRUE(QFileInfo::exists(folder.file(u"notes.tmp"_s)));
    EXPECT_TRUE(QFileInfo(folder.file(u"tem111111.tmp"_s)).isDir());
    EXPECT_TRUE(QFileInfo(folder.file(u"tem222222.tmp"_s)).isSymLink());
    EXPECT_EQ(folder.read(u"target.txt"_s), "keep");

    DeleteOwnTempFiles(folder.file(u"missing"_s)); // no folder: nothing happens
}
