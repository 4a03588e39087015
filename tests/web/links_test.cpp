#include "web/links.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ExtractFtpLinks, CollectsAnchorAddressesInOrderWithoutImmediateRepeats) {
    EXPECT_EQ(ExtractFtpLinks(u"<a href=\"ftp://a/1.mkv\">1</a><a href=\"ftp://a/1.mkv\">again</a>"
                              u"<a href=\"ftp://b/2.mkv\">2</a><a href=\"ftp://a/1.mkv\">back</a>"_s),
              u"ftp://a/1.mkv`ftp://b/2.mkv`ftp://a/1.mkv`"_s);
    EXPECT_EQ(ExtractFtpLinks(u"<a href=\"http://x/\">web</a><p>ftp://text/not/in/a/tag</p>"_s), QString());
}

TEST(ExtractFtpLinks, ReadsAnchorsInAnyLetterCaseAndEveryTagStartingWithA) {
    EXPECT_EQ(ExtractFtpLinks(u"<A HREF=\"ftp://upper/\">x</A><A href=\"ftp://mixed/\" target=_blank>"_s),
              u"ftp://upper/`ftp://mixed/`"_s);
    EXPECT_EQ(ExtractFtpLinks(u"<area href=\"ftp://area/\"><abbr title=\"ftp://abbr/\">"_s),
              u"ftp://area/`ftp://abbr/`"_s);
}

TEST(ExtractFtpLinks, AnAddressWithoutClosingDoubleQuoteIsAnEmptyEntry) {
    // After a real entry the empty one is added; as the first candidate it equals the empty start.
    EXPECT_EQ(ExtractFtpLinks(u"<a href=\"ftp://a/\"><a href='ftp://single/'><a href=ftp://bare/>"_s), u"ftp://a/``"_s);
    EXPECT_EQ(ExtractFtpLinks(u"<a href='ftp://single/'><a href=\"ftp://a/\">"_s), u"ftp://a/`"_s);
}

TEST(ExtractFtpLinks, AnOpenTagWithoutCloseEndsTheScan) {
    EXPECT_EQ(ExtractFtpLinks(u"<a href=\"ftp://a/\">x</a><a href=\"ftp://b/\""_s), u"ftp://a/`"_s);
    EXPECT_EQ(ExtractFtpLinks(u"<a"_s), QString());
}

TEST(ExtractImageUrls, CollectsAbsoluteSourcesOfImgTagsInAnyLetterCase) {
    EXPECT_EQ(
        ExtractImageUrls(u"<img src=\"http://img/1.jpg\" alt=\"\"><IMG SRC=\"https://upper.jpg\">"
                         u"<img alt=\"no source\"><img src=\"/relative.jpg\"><IMG border=0 Src=\"http://img/1.jpg\">"
                         u"<img src=\"http://img/1.jpg\"><img src=\"https://img/2.jpg\">"_s),
        u"http://img/1.jpg`https://upper.jpg`http://img/1.jpg`https://img/2.jpg`"_s);
    // Of the two schemes the first one written counts.
    EXPECT_EQ(ExtractImageUrls(u"<img src=\"https://a/x.jpg?from=http://b/\">"_s),
              u"https://a/x.jpg?from=http://b/`"_s);
    // A relative source followed by another attribute holding an absolute address yields that one.
    EXPECT_EQ(ExtractImageUrls(u"<img src=\"small.jpg\" data-big=\"http://img/big.jpg\">"_s), u"http://img/big.jpg`"_s);
    // "http:" before "src=" does not count.
    EXPECT_EQ(ExtractImageUrls(u"<img data=\"http://img/a.jpg\" src=\"b.jpg\">"_s), QString());
    EXPECT_EQ(ExtractImageUrls(u"<img src=\"http://a.jpg\"><img src=\"http://b.jpg"_s), u"http://a.jpg`"_s);
}

TEST(Links, ScanLargePagesInOnePass) {
    QString page;
    for (int i = 0; i < 20000; ++i)
        page += u"<a href=\"ftp://h/%1\"><img src=\"http://h/%1.jpg\">"_s.arg(i);
    EXPECT_EQ(ExtractFtpLinks(page).count(u'`'), 20000);
    EXPECT_EQ(ExtractImageUrls(page).count(u'`'), 20000);
}
