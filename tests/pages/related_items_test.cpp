#include "pages/related_items.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TitlesMatch, WorkedExamples) {
    // The common run "the dark knight" leaves "darkknight": ten characters.
    EXPECT_TRUE(TitlesMatch(u"the dark knight"_s, u"the dark knight 2008"_s));
    // "abc 0" leaves "abc": d = 3, p = 50.
    EXPECT_TRUE(TitlesMatch(u"abc 02"_s, u"abc 01"_s));
    // A two-letter title matches any candidate holding one of its letters (p = 50).
    EXPECT_TRUE(TitlesMatch(u"xa"_s, u"ab"_s));
    EXPECT_FALSE(TitlesMatch(u"xyz"_s, u"ab"_s));
}

TEST(TitlesMatch, WhatIsStrippedFromTheCommonRunDoesNotCount) {
    // Digits, blanks, dots and hyphens only: not even the title itself matches.
    EXPECT_FALSE(TitlesMatch(u"2008 - 1080.720"_s, u"2008 - 1080.720"_s));
    // Filler words are removed too, letter case exact.
    EXPECT_FALSE(TitlesMatch(u"the 双语字幕 加长版 the"_s, u"the 双语字幕 加长版 the"_s));
    EXPECT_TRUE(TitlesMatch(u"THE"_s, u"THE"_s));
}

TEST(TitlesMatch, Thresholds) {
    // d = 3 needs p > 20: 3 of 14 characters is 21 percent, 3 of 15 is 20.
    EXPECT_TRUE(TitlesMatch(u"abc"_s, u"abcklmnopqrstu"_s));
    EXPECT_FALSE(TitlesMatch(u"abc"_s, u"abcklmnopqrstuv"_s));
    // d > 5 matches whatever the title's length.
    EXPECT_TRUE(TitlesMatch(u"zzabcdefzz"_s, u"abcdef" + QString(200, u'k')));
    EXPECT_FALSE(TitlesMatch(u"zzabcdezz"_s, u"abcde" + QString(200, u'k')));
}

TEST(TitlesMatch, EmptyTitlesMatchNothing) {
    EXPECT_FALSE(TitlesMatch(u"anything"_s, QString()));
    EXPECT_FALSE(TitlesMatch(QString(), QString()));
    EXPECT_FALSE(TitlesMatch(QString(), u"the dark knight"_s));
}

TEST(TitlesMatch, LongestRunIsTakenFromTheTitle) {
    // Two runs in the candidate; the longer one decides.
    EXPECT_TRUE(TitlesMatch(u"ab harbor of mist"_s, u"harbor of mist ab"_s));
    EXPECT_FALSE(TitlesMatch(u"harbor"_s, u"light chasers over the harbour town"_s));
}

namespace {

MovieRecord Movie(const QString& path, const QString& title) {
    MovieRecord movie;
    movie.FilePath = path;
    movie.FileName = path.section(u'/', -1);
    movie.DisplayTitle = title;
    movie.SearchKey = path.toLower();
    return movie;
}

} // namespace

TEST(BuildRelatedItems, ListsEveryMatchInLibraryOrder) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(u"/m/a.mkv"_s, u"the dark knight 2008"_s), Movie(u"/m/b.mkv"_s, u"harbor of mist"_s),
                      Movie(u"/m/c.mkv"_s, u"the dark knight"_s)};
    const QString items = BuildRelatedItems(library, u"the dark knight"_s);
    const qsizetype first = items.indexOf(u"a.mkv"_s);
    const qsizetype second = items.indexOf(u"c.mkv"_s);
    ASSERT_GE(first, 0);
    ASSERT_GT(second, first);
    EXPECT_FALSE(items.contains(u"b.mkv"_s));
    EXPECT_EQ(items.count(u"<div class=d>"_s), 2);
}

TEST(BuildRelatedItems, ASingleMatchIsNoRelatedTitle) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(u"/m/a.mkv"_s, u"the dark knight"_s), Movie(u"/m/b.mkv"_s, u"harbor of mist"_s)};
    EXPECT_TRUE(BuildRelatedItems(library, u"the dark knight"_s).isEmpty());
    EXPECT_TRUE(BuildRelatedItems(library, QString()).isEmpty());
}
