#include "pipeline/update_notice.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(UpdateNoticeTest, ConvertsCodePage936UpToTheFirstZeroByte) {
    EXPECT_EQ(UpdateNoticeFromReply(QByteArray("\xD0\xC2\xB0\xE6\xB1\xBE 1.06\0junk", 14)), u"新版本 1.06"_s);
    EXPECT_EQ(UpdateNoticeFromReply(QByteArray()), u""_s);
    EXPECT_EQ(UpdateNoticeFromReply(QByteArray("\0x", 2)), u""_s);
}

TEST(UpdateNoticeTest, KeepsFormattingAndWebLinks) {
    EXPECT_EQ(SanitizeNoticeMarkup(u"plain & simple"_s), u"plain & simple"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<B>new</B><br/><font color=red size='2'>x</font>"_s),
              u"<b>new</b><br><font color=\"red\" size=\"2\">x</font>"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<a href=\"https://example.org/get?a=1&b=2\" title='go'>get</a>"_s),
              u"<a href=\"https://example.org/get?a=1&b=2\" title=\"go\">get</a>"_s);
}

TEST(UpdateNoticeTest, DropsEverythingThatCanRunScript) {
    EXPECT_EQ(SanitizeNoticeMarkup(u"a<script>external.ExtCommand(2,'x')</script>b"_s), u"ab"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"a<SCRIPT src=x></SCRIPT >b"_s), u"ab"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<img src=x onerror=alert(1)>c"_s), u"c"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<b onclick=\"alert(1)\" onmouseover=x>c</b>"_s), u"<b>c</b>"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<a href=\"javascript:alert(1)\">c</a>"_s), u"<a>c</a>"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<a href=\" JavaScript:x\">c</a>"_s), u"<a>c</a>"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<a href=file:///etc/passwd>c</a>"_s), u"<a>c</a>"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<font href=\"http://x\">c</font>"_s), u"<font>c</font>"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<iframe src=x>inner</iframe>c"_s), u"c"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<style>body{display:none}</style>c"_s), u"c"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<!-- <script>x</script> -->c"_s), u"c"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<script>never closed"_s), u""_s);
}

TEST(UpdateNoticeTest, QuotesInValuesCannotOpenNewAttributes) {
    EXPECT_EQ(SanitizeNoticeMarkup(u"<b title='x\" onclick=\"alert(1)'>c</b>"_s),
              u"<b title=\"x&quot; onclick=&quot;alert(1)\">c</b>"_s);
}

TEST(UpdateNoticeTest, StrayAngleBracketsStayText) {
    EXPECT_EQ(SanitizeNoticeMarkup(u"1 < 2 and <3"_s), u"1 &lt; 2 and &lt;3"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<b title=\"unclosed>x"_s), u"&lt;b title=\"unclosed>x"_s);
    EXPECT_EQ(SanitizeNoticeMarkup(u"<b"_s), u"&lt;b"_s);
}
