#include "extract/labels.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CleanFieldValue, RemovesTheLabelAndItsDecorationAndNothingOfTheValue) {
    const std::pair<QString, QString> cases[] = {
        {u"◎国　　家　美国"_s, u"美国"_s},
        {u"◎年　　代　2009"_s, u"2009"_s},
        {u"◎译　　名　蝙蝠侠：黑暗骑士/黑暗骑士"_s, u"蝙蝠侠：黑暗骑士/黑暗骑士"_s},
        {u"◎类　　别　剧情/爱情"_s, u"剧情/爱情"_s},
        {u"◎IMDb评分 9.0/10 from 1,234,567 users"_s, u"9.0/10 from 1,234,567 users"_s},
        {u"◎ＩＭＤＢ评分　8.1/10"_s, u"8.1/10"_s},
        {u"IMDB评分：7.6/10"_s, u"7.6/10"_s},
        {u"◎产　　地　中国/中国香港"_s, u"中国/中国香港"_s},
        {u"◎电影类型  惊悚 "_s, u"惊悚"_s},
        {u"【类别】剧情"_s, u"剧情"_s},
        {u"片名: Heat?"_s, u"Heat?"_s},
        {u"◎国　　家"_s, QString()},
        // Values without a label, as typed in the edit form, stay exactly as they are.
        {u"The Dark Knight"_s, u"The Dark Knight"_s},
        {u"美国/英国"_s, u"美国/英国"_s},
        {u"7.9"_s, u"7.9"_s},
        {u"[美国]"_s, u"[美国]"_s},
        {u" 2008 "_s, u" 2008 "_s},
        {u"国家宝藏"_s, u"国家宝藏"_s}, // a title that begins with a label's characters
        {QString(), QString()},
    };
    for (const auto& [value, shown] : cases) {
        EXPECT_EQ(CleanFieldValue(value), shown) << value.toStdString();
        EXPECT_EQ(CleanFieldValue(shown), shown) << "cleaned again: " << value.toStdString();
    }
}

TEST(CleanFieldValue, LeavesItsArgumentAlone) {
    const QString value = u"◎片　　名　Heat"_s;
    const QString copy = value;
    EXPECT_EQ(CleanFieldValue(value), u"Heat"_s);
    EXPECT_EQ(value, copy);
}

TEST(CleanFieldValue, KeepsPartOfTheValueAndChangesNothingTheSecondTime) {
    // On values made of pieces of labels, decorations and separators: what is shown is a piece of the
    // value, and what is shown is shown again unchanged.
    const QString alphabet = u" 　：◎?】【IMDB评分英文原名片国家./[a\uFEFF"_s;
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        QString value;
        seed = seed * 1103515245u + 12345u;
        const int length = int(seed >> 16) % 24;
        for (int k = 0; k < length; ++k) {
            seed = seed * 1103515245u + 12345u;
            value += alphabet.at(int(seed >> 16) % alphabet.size());
        }
        const QString shown = CleanFieldValue(value);
        ASSERT_TRUE(value.contains(shown)) << value.toStdString();
        ASSERT_EQ(CleanFieldValue(shown), shown) << value.toStdString();
    }
}

TEST(FirstListItem, TakesTheTextBeforeTheFirstSeparator) {
    EXPECT_EQ(FirstListItem(u"美国/英国"_s), u"美国"_s);
    EXPECT_EQ(FirstListItem(u"泰国 / 美国"_s), u"泰国"_s);
    EXPECT_EQ(FirstListItem(u"中国香港"_s), u"中国香港"_s);
    EXPECT_EQ(FirstListItem(QString()), QString());
}

TEST(FieldLabelTable, FirstMatchingRowDecides) {
    // The score in any letter case and width; the link line after it is no score.
    for (const QString& key :
         {u"IMDB评分7.5"_s, u"IMDb评分7.8/10"_s, u"iMDB评分6.7"_s, u"ＩＭＤＢ评分8"_s, u"imdb7.5"_s})
        EXPECT_EQ(FieldForLabelKey(key), &MovieRecord::Rating) << key.toStdString();
    EXPECT_EQ(FieldForLabelKey(u"IMDb链接http://x"_s), nullptr);
    EXPECT_EQ(FieldForLabelKey(u"产地美国"_s), &MovieRecord::CountryOfOrigin);
    EXPECT_EQ(FieldForLabelKey(u"类型剧情"_s), &MovieRecord::Genres);
    EXPECT_EQ(FieldForLabelKey(u"电影类型惊悚"_s), &MovieRecord::Genres);
    EXPECT_EQ(FieldForLabelKey(u"又名x"_s), nullptr); // an alias is neither title
    EXPECT_EQ(FieldForLabelKey(u"别名x"_s), nullptr);
    EXPECT_EQ(FieldForLabelKey(u"外文名Fog"_s), &MovieRecord::OriginalTitle);
    EXPECT_EQ(FieldForLabelKey(u"国家"_s), &MovieRecord::CountryOfOrigin); // a label with no value counts
    EXPECT_EQ(FieldForLabelKey(u"出品年代2009"_s), &MovieRecord::ProductionYear);
    EXPECT_EQ(FieldForLabelKey(u"中文名盗梦空间"_s), &MovieRecord::Title);
    EXPECT_EQ(FieldForLabelKey(u"英文名Inception"_s), &MovieRecord::OriginalTitle);
    EXPECT_EQ(FieldForLabelKey(u"片名Inception"_s), &MovieRecord::OriginalTitle);
    EXPECT_EQ(FieldForLabelKey(u"译名盗梦空间"_s), &MovieRecord::Title);
    EXPECT_EQ(FieldForLabelKey(u"类别剧情"_s), &MovieRecord::Genres);
    EXPECT_EQ(FieldForLabelKey(u"类別劇情"_s), &MovieRecord::Genres); // the traditional second character
}

TEST(FieldLabelTable, ExclusionsAndShortKeysFallToTheOverview) {
    for (const QString& key : {u"IMD"_s, u"中文简介一个梦"_s, u"片名的由来是"_s, u"片名的来历"_s, u"片名的意思"_s,
                               u"片名中的梦"_s, u"片名&海报"_s, u"片名来自"_s, u"片"_s, QString(), u"导演诺兰"_s})
        EXPECT_EQ(FieldForLabelKey(key), nullptr) << key.toStdString();
    // The exclusions only reject the "片名" row; "片名的" alone is still a title line.
    EXPECT_EQ(FieldForLabelKey(u"片名的"_s), &MovieRecord::OriginalTitle);
    // Lines are matched on their first LabelKeyChars characters only.
    for (const FieldLabelRow& row : FieldLabelTable) {
        EXPECT_LE(row.Label.size(), LabelKeyChars);
        for (QStringView exception : row.Exceptions)
            EXPECT_LE(exception.size(), LabelKeyChars);
    }
}
