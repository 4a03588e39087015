#include "library/split_string.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(SplitString, KeepsInnerEmptiesDropsLeadingSeparatorAndTrailingEmpty) {
    EXPECT_EQ(SplitString(u"a,,b"_s, u','), (QStringList{u"a"_s, QString(), u"b"_s}));
    EXPECT_EQ(SplitString(u",a"_s, u','), QStringList{u"a"_s});
    EXPECT_EQ(SplitString(u"a,"_s, u','), QStringList{u"a"_s});
    EXPECT_EQ(SplitString(u",,a"_s, u','), (QStringList{QString(), u"a"_s}));
    EXPECT_TRUE(SplitString(QString(), u',').isEmpty());
    EXPECT_TRUE(SplitString(u","_s, u',').isEmpty());
}
