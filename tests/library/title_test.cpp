#include "library/title.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TitleFromFileName, WorkedExamples) {
    const std::pair<QString, QString> cases[] = {
        {u"The.Dark.Knight.2008.720p.BluRay.x264.mkv"_s, u"the dark knight 2008"_s},
        {u"[site].盗梦空间.BD.720p.中英双字幕.rmvb"_s, u"盗梦空间"_s},
        {u"Avatar.1080p.mkv"_s, u"avatar"_s},
        {u"Up.2009.HDTV.XviD.avi"_s, u"up 2009"_s},
        {u"HD.Movie.mkv"_s, u"hd movie"_s},
        {u"Abduction.2011.mkv"_s, u"abduction 2011"_s}, // a marker inside a word does not cut
        {u"[abc].avi"_s, u"avi"_s},
        {u"【字幕组】盗梦空间.rmvb"_s, u"盗梦空间"_s},
    };
    for (const auto& [name, title] : cases)
        EXPECT_EQ(TitleFromFileName(name), title) << name.toStdString();
}

TEST(TitleFromFileName, QualityMarkersAreCaseSensitiveSourceMarkersAreNot) {
    EXPECT_EQ(TitleFromFileName(u"Up.2009.hdtv.avi"_s), u"up 2009 hdtv"_s);
    EXPECT_EQ(TitleFromFileName(u"Heat.DVDRip.avi"_s), u"heat"_s);
    EXPECT_EQ(TitleFromFileName(u"Heat.xVid.avi"_s), u"heat"_s);
    EXPECT_EQ(TitleFromFileName(u"Film.1024x576.avi"_s), u"film"_s);
    // Markers are applied in order, each on what the previous one left.
    EXPECT_EQ(TitleFromFileName(u"A.B.1080p.C.720p.mkv"_s), u"a b"_s);
}

TEST(TitleFromFileName, BracketGroupsAndOddShapes) {
    EXPECT_EQ(TitleFromFileName(u"a]b[c].avi"_s), u"a]b[c]"_s);
    EXPECT_EQ(TitleFromFileName(u"[a]Heat[b].avi"_s), u"heat"_s);
    EXPECT_EQ(TitleFromFileName(u"[a][b.avi"_s), u"[b"_s);
    EXPECT_EQ(TitleFromFileName(u"【x】【y】盗梦空间.rmvb"_s), u"盗梦空间"_s);
    EXPECT_EQ(TitleFromFileName(u".avi"_s), u"avi"_s); // a dot at position 0 is not an extension
    EXPECT_EQ(TitleFromFileName(u"Heat"_s), u"heat"_s);
    EXPECT_EQ(TitleFromFileName(QString()), QString());
    EXPECT_EQ(TitleFromFileName(u"  Heat . 1995 .avi"_s), u"heat   1995"_s);
}

TEST(TitleFromFileName, MarkersCutOnlyWhereTheyBeginAWord) {
    const std::pair<QString, QString> cases[] = {
        {u"Forbidden.Kingdom.2008.mkv"_s, u"forbidden kingdom 2008"_s},
        {u"The.Shadow.DVDRip.avi"_s, u"the shadow"_s},
        {u"Heat_xvid.avi"_s, u"heat_"_s},
        {u"Heat-DVD.avi"_s, u"heat-"_s},
        {u"Heat (HDTV).avi"_s, u"heat ("_s},
        {u"Room.21080.mkv"_s, u"room 21080"_s},
        {u"盗梦空间720p.中文.mkv"_s, u"盗梦空间"_s}, // a Latin word begins after other script
    };
    for (const auto& [name, title] : cases)
        EXPECT_EQ(TitleFromFileName(name), title) << name.toStdString();
}

TEST(TitleFromFileName, ALeadingSiteTagIsNoTitle) {
    const std::pair<QString, QString> cases[] = {
        {u"某某电影www.example.com.盗梦空间.BD.720p.中英双字幕.mkv"_s, u"盗梦空间"_s},
        {u"某站电影example.net忍者2撕裂的暗影720p.中文.mkv"_s, u"忍者2撕裂的暗影"_s},
        {u"www.example.org.The.Net.1995.mkv"_s, u"the net 1995"_s},
        {u"[字幕组]某某电影www.example.cn.盗梦空间.rmvb"_s, u"盗梦空间"_s},
        // Not leading, or no site's name before the address: part of the title.
        {u"Movie.www.example.com.mkv"_s, u"movie www example com"_s},
        {u"Ocean.com.2000.mkv"_s, u"ocean com 2000"_s},
        {u"某某电影www.example.com"_s, u"某某电影www example"_s},
    };
    for (const auto& [name, title] : cases)
        EXPECT_EQ(TitleFromFileName(name), title) << name.toStdString();
}
