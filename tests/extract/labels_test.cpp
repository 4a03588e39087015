#include "extract/labels.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CleanFieldValue, RemovesLabelsDecorationsAndBlanks) {
    EXPECT_EQ(CleanFieldValue(u"◎国　　家　美国"_s), u"美国"_s);
    EXPECT_EQ(CleanFieldValue(u"◎年　　代　2009"_s), u"2009"_s);
    EXPECT_EQ(CleanFieldValue(u"The Dark Knight"_s), u"TheDarkKnight"_s);
    EXPECT_EQ(CleanFieldValue(u"【类别】剧情"_s), u"【剧情"_s); // only the closing bracket is a label word
    EXPECT_EQ(CleanFieldValue(u"片名: Heat?"_s), u"Heat"_s);
    EXPECT_EQ(CleanFieldValue(QString()), QString());
}

TEST(CleanFieldValue, LongerLabelsGoBeforeTheShorterOnesTheyContain) {
    // Were "原名" removed first, "英文" would be left behind.
    EXPECT_EQ(CleanFieldValue(u"英文原名Heat"_s), u"Heat"_s);
    // "IMDB评分" before "IMDB评": otherwise a stray "分" stays.
    EXPECT_EQ(CleanFieldValue(u"IMDB评分8"_s), u"8"_s);
    EXPECT_EQ(CleanFieldValue(u"中文译名盗梦空间"_s), u"盗梦空间"_s);
}

TEST(CleanFieldValue, KeepsOnlyTheTextAfterTheFirstSeparatorUnlessItLeads) {
    EXPECT_EQ(CleanFieldValue(u"美国/英国"_s), u"英国"_s);
    EXPECT_EQ(CleanFieldValue(u"IMDB评分：7.6/10"_s), u"6/10"_s);
    EXPECT_EQ(CleanFieldValue(u"[美国]"_s), u"[美国]"_s);
    EXPECT_EQ(CleanFieldValue(u"/美国/英国"_s), u"/美国/英国"_s);
    EXPECT_EQ(CleanFieldValue(u"美国[英国"_s), u"英国"_s);
    EXPECT_EQ(CleanFieldValue(u"美国/"_s), QString());
}

TEST(CleanFieldValue, LeavesItsArgumentAlone) {
    const QString value = u"◎片　　名　Heat"_s;
    const QString copy = value;
    EXPECT_EQ(CleanFieldValue(value), u"Heat"_s);
    EXPECT_EQ(value, copy);
}

TEST(FieldLabelTable, FirstMatchingRowDecides) {
    EXPECT_EQ(FieldForLabelKey(u"IMDB链接http://x"_s), &MovieRecord::Rating); // every IMDB line is a rating
    EXPECT_EQ(FieldForLabelKey(u"国家"_s), &MovieRecord::CountryOfOrigin);    // a label with no value counts
    EXPECT_EQ(FieldForLabelKey(u"出品年代2009"_s), &MovieRecord::ProductionYear);
    EXPECT_EQ(FieldForLabelKey(u"中文名盗梦空间"_s), &MovieRecord::Title);
    EXPECT_EQ(FieldForLabelKey(u"英文名Inception"_s), &MovieRecord::OriginalTitle);
    EXPECT_EQ(FieldForLabelKey(u"片名Inception"_s), &MovieRecord::OriginalTitle);
    EXPECT_EQ(FieldForLabelKey(u"译名盗梦空间"_s), &MovieRecord::Title);
    EXPECT_EQ(FieldForLabelKey(u"类别剧情"_s), &MovieRecord::Genres);
    EXPECT_EQ(FieldForLabelKey(u"类別劇情"_s), &MovieRecord::Genres); // the traditional second character
}

TEST(FieldLabelTable, ExclusionsAndShortKeysFallToTheOverview) {
    for (const QString& key :
         {u"IMD"_s, u"中文简介一个梦"_s, u"片名的由来是"_s, u"片名的来历"_s, u"片名的意思"_s, u"片名中的梦"_s,
          u"片名&海报"_s, u"片名来自"_s, u"片"_s, QString(), u"imdb7.5"_s, u"导演诺兰"_s})
        EXPECT_EQ(FieldForLabelKey(key), nullptr) << key.toStdString();
    // The exclusions only reject the "片名" row; "片名的" alone is still a title line.
    EXPECT_EQ(FieldForLabelKey(u"片名的"_s), &MovieRecord::OriginalTitle);
}

TEST(CleanFieldValue, MatchesTheRuleOnRandomValues) {
    // The rule spelled out with QString::remove, against the quicker implementation, on values made of
    // pieces of label words, so that removals meet, overlap and form new words.
    auto reference = [](QString value) {
        for (QStringView word : LabelWords)
            value.remove(word.toString());
        const qsizetype at = value.indexOf(QRegularExpression(u"[./\\[]"_s));
        return at > 0 ? value.mid(at + 1) : value;
    };
    // Each word is removed once, left to right: what the removal joins up stays.
    EXPECT_EQ(CleanFieldValue(u"国国家家"_s), u"国家"_s);
    EXPECT_EQ(CleanFieldValue(u"片 名"_s), QString()); // but a blank goes first, so this one joins in time
    const QString alphabet = u" 　：◎?】IMDB评分英文原名片国家./[a\uFEFF"_s;
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        QString value;
        seed = seed * 1103515245u + 12345u;
        const int length = int(seed >> 16) % 24;
        for (int k = 0; k < length; ++k) {
            seed = seed * 1103515245u + 12345u;
            value += alphabet.at(int(seed >> 16) % alphabet.size());
        }
        ASSERT_EQ(CleanFieldValue(value), reference(value)) << value.toStdString();
    }
}
