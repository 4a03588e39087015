#include "library/lower_case.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(LowerCase, AgreesWithQtOnEveryCodeUnit) {
    // Each code unit alone, and behind ASCII and CJK text so the fast path runs first.
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const QString one{QChar(char16_t(c))};
        ASSERT_EQ(LowerCase(one), one.toLower()) << "U+" << std::hex << unsigned(c);
        const QString mixed = u"AbC 盗梦：空间"_s + one + u"Z"_s;
        ASSERT_EQ(LowerCase(mixed), mixed.toLower()) << "U+" << std::hex << unsigned(c);
    }
    const QString supplementary = u"\U00010400A"_s; // DESERET CAPITAL LONG I, then "A"
    EXPECT_EQ(LowerCase(supplementary), supplementary.toLower());
    EXPECT_EQ(LowerCase(QString()), QString());
}

TEST(LowerTailOccursIn, LowersOnlyTheTail) {
    const QString list = u"rmvb`.avi`mpeg"_s;
    EXPECT_TRUE(LowerTailOccursIn(u"/Films/A.AVI", 4, list));
    EXPECT_TRUE(LowerTailOccursIn(u"X.MPEG", 4, list));
    EXPECT_FALSE(LowerTailOccursIn(u"a.mkv", 4, list));
    EXPECT_TRUE(LowerTailOccursIn(u"vi", 4, list));     // shorter than the tail: the whole text
    EXPECT_FALSE(LowerTailOccursIn(u"a.avİ", 4, list)); // İ lowers to two units, not to "i"
}
