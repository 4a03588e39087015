#include "web/encodings.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// 中文 in GBK and in Big5, and 電影 in Big5.
const QByteArray GbkZhongWen("\xD6\xD0\xCE\xC4");
const QByteArray Big5DianYing("\xB9\x71\xBC\x76");

QByteArray PageWithHead(const QByteArray& head, const QByteArray& body) {
    return "<html><head>" + head + "</head><body>" + body + "</body></html>";
}

} // namespace

TEST(CodePages, ConvertTheirOwnBytes) {
    EXPECT_EQ(AnsiToWide(GbkZhongWen), u"中文"_s);
    EXPECT_EQ(Big5ToWide(Big5DianYing), u"電影"_s);
    EXPECT_EQ(Utf8ToWide(u"中文 é"_s.toUtf8()), u"中文 é"_s);
    EXPECT_EQ(AnsiToWide("plain ascii"), u"plain ascii"_s);
    EXPECT_TRUE(AnsiToWide(QByteArray()).isEmpty());
    EXPECT_TRUE(Big5ToWide(QByteArray()).isEmpty());
}

TEST(CodePages, StopAtTheFirstZeroByte) {
    EXPECT_EQ(AnsiToWide(QByteArray("ab\0cd", 5)), u"ab"_s);
    EXPECT_EQ(Big5ToWide(Big5DianYing + QByteArray("\0x", 2)), u"電影"_s);
    EXPECT_EQ(Utf8ToWide(QByteArray("\xE4\xB8\xAD\0z", 5)), u"中"_s);
    EXPECT_TRUE(AnsiToWide(QByteArray("\0abc", 4)).isEmpty());
}

TEST(CodePages, InvalidSequencesBecomeReplacementCharactersAndConversionGoesOn) {
    // 0xFF never starts a GBK character; a lead byte at the very end has lost its second byte.
    EXPECT_EQ(AnsiToWide("a\xFF"
                         "b" +
                         GbkZhongWen),
              u"a\uFFFDb中文"_s);
    EXPECT_EQ(AnsiToWide("ab\xD6"), u"ab\uFFFD"_s);
    // A lead byte followed by a byte that cannot end it: the second byte is read on its own.
    EXPECT_EQ(AnsiToWide("\xD6"
                         "\x09"
                         "x"),
              u"\uFFFD\tx"_s);
    EXPECT_EQ(Big5ToWide("\xFF" + Big5DianYing), u"\uFFFD電影"_s);
    EXPECT_EQ(Utf8ToWide("a\xC3(b"), u"a\uFFFD(b"_s);
}

TEST(CodePages, WideToUtf8CountsItsBytesAndEndsWithZero) {
    const QByteArray empty = WideToUtf8(QString());
    EXPECT_EQ(empty.size(), 0);
    EXPECT_EQ(empty.constData()[0], '\0');
    const QByteArray bytes = WideToUtf8(u"中a"_s);
    EXPECT_EQ(bytes, QByteArray("\xE4\xB8\xAD"
                                "a"));
    EXPECT_EQ(bytes.constData()[bytes.size()], '\0');
    // The whole string, not up to an embedded zero.
    EXPECT_EQ(WideToUtf8(QString(reinterpret_cast<const QChar*>(u"a\0b"), 3)).size(), 3);
}

TEST(DecodePageBytes, FollowsTheDeclaredCharset) {
    const QByteArray utf8Body = u"电影"_s.toUtf8();
    EXPECT_EQ(DecodePageBytes(
                  PageWithHead("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">", utf8Body)),
              u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"></head><body>电影"
              u"</body></html>"_s);
    EXPECT_TRUE(
        DecodePageBytes(PageWithHead("<meta content=\"text/html; charset=big5\">", Big5DianYing)).contains(u"電影"_s));
    EXPECT_TRUE(
        DecodePageBytes(PageWithHead("<meta content=\"text/html; charset=gb2312\">", GbkZhongWen)).contains(u"中文"_s));
    // No declaration at all: the ANSI code page.
    EXPECT_TRUE(DecodePageBytes(PageWithHead("", GbkZhongWen)).contains(u"中文"_s));
    // The name may end at ">", "/" or a blank as well as at a quote.
    EXPECT_TRUE(DecodePageBytes("<meta charset=utf-8>" + utf8Body).contains(u"电影"_s));
    EXPECT_TRUE(DecodePageBytes("<meta charset=utf-8/>" + utf8Body).contains(u"电影"_s));
    EXPECT_TRUE(DecodePageBytes("<meta charset=BIG5 >" + Big5DianYing).contains(u"電影"_s));
}

TEST(DecodePageBytes, AQuotedCharsetNamesTheSameCodePage) {
    const QByteArray utf8Body = u"电影"_s.toUtf8();
    for (const char* meta : {"<meta charset=\"utf-8\">", "<meta charset='UTF-8'/>", "<meta charset= \"utf-8\" >",
                             "<meta content='text/html; charset=utf-8'>", "<meta charset=utf-8\n>"})
        EXPECT_TRUE(DecodePageBytes(meta + utf8Body).endsWith(u"电影"_s)) << meta;
    EXPECT_TRUE(DecodePageBytes("<meta charset=\"big5\">" + Big5DianYing).endsWith(u"電影"_s));
    // A quote with nothing recognisable inside still falls to the ANSI code page.
    const QString asAnsi = AnsiToWide(utf8Body);
    for (const char* meta : {"<meta charset=\"\">", "<meta charset=\"\"utf-8\">", "<meta charset=\"utf-8;\">"})
        EXPECT_TRUE(DecodePageBytes(meta + utf8Body).endsWith(asAnsi)) << meta;
}

TEST(DecodePageBytes, UnrecognisedDeclarationsFallToTheAnsiCodePageAndUndeclaredUtf8IsSniffed) {
    const QByteArray utf8Body = u"电影"_s.toUtf8();
    const QString asAnsi = AnsiToWide(utf8Body);
    ASSERT_NE(asAnsi, u"电影"_s);
    for (const char* name : {"big5-hkscs", "x-big5", "utf-8;", "gb2312"})
        EXPECT_TRUE(DecodePageBytes("<meta charset=" + QByteArray(name) + ">" + utf8Body).endsWith(asAnsi)) << name;
    EXPECT_TRUE(DecodePageBytes("<meta charset=utf8>" + utf8Body).endsWith(u"电影"_s));
    // A declaration within the first 1024 characters is seen, one after them is not; then valid UTF-8 is
    // read as UTF-8 (with or without a byte-order mark), anything else in the ANSI code page.
    EXPECT_TRUE(DecodePageBytes(QByteArray(1000, ' ') + "<meta charset=big5>" + Big5DianYing).endsWith(u"電影"_s));
    EXPECT_FALSE(DecodePageBytes(QByteArray(1030, ' ') + "<meta charset=big5>" + Big5DianYing).endsWith(u"電影"_s));
    EXPECT_TRUE(DecodePageBytes(QByteArray(1030, ' ') + "<meta charset=utf-8>" + utf8Body).endsWith(u"电影"_s));
    EXPECT_EQ(DecodePageBytes("\xEF\xBB\xBF" + utf8Body), u"电影"_s);
    EXPECT_EQ(DecodePageBytes(GbkZhongWen), AnsiToWide(GbkZhongWen));
}

TEST(DecodePageBytes, ProbeCountsCharactersNotBytes) {
    // 300 GBK characters take 600 bytes but only 300 of the 512 probe characters.
    QByteArray page;
    for (int i = 0; i < 300; ++i)
        page += GbkZhongWen.left(2);
    page += "<meta charset=big5>" + Big5DianYing;
    EXPECT_TRUE(DecodePageBytes(page).endsWith(u"電影"_s));
}

TEST(DecodePageBytes, AZeroByteEndsThePage) {
    const QByteArray utf16 = QByteArray("<\0h\0t\0m\0l\0>\0", 12);
    EXPECT_EQ(DecodePageBytes(utf16), u"<"_s);
    EXPECT_EQ(DecodePageBytes(QByteArray("<meta charset=utf-8>ab\0cd", 25)), u"<meta charset=utf-8>ab"_s);
}

TEST(EncodeQuery, EncodesByteForByte) {
    EXPECT_EQ(EncodeQuery(u"ab c"_s), u"ab+c"_s);
    EXPECT_EQ(EncodeQuery(u"中"_s), u"%E4%B8%AD"_s);
    EXPECT_EQ(EncodeQuery(u"("_s), u"%28"_s);
    EXPECT_EQ(EncodeQuery(u"2009"_s), u"2009"_s);
    EXPECT_EQ(EncodeQuery(u"a.b-c&d"_s), u"a%2Eb%2Dc%26d"_s);
    EXPECT_EQ(EncodeQuery(u"\t\n"_s), u"++"_s);
    // Below U+0100 letters pass unchanged, other characters as one escape of their code.
    EXPECT_EQ(EncodeQuery(u"é×"_s), u"é%D7"_s);
    // From U+0100 on always three bytes, also where UTF-8 would use two, and a surrogate half alone.
    EXPECT_EQ(EncodeQuery(u"ā"_s), u"%E0%84%81"_s);
    EXPECT_EQ(EncodeQuery(u"😀"_s), u"%ED%A0%BD%ED%B8%80"_s);
    EXPECT_EQ(EncodeQuery(QString()), QString());
}
