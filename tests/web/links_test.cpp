#include "web/links.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ExtractFtpLinks, CollectsTheFtpAddressesOfLinksInOrderWithoutImmediateRepeats) {
    const struct {
        QString page;
        QString links;
    } cases[] = {
        {u"<a href=\"ftp://a/1.mkv\">1</a><a href=\"ftp://a/1.mkv\">again</a><a href='ftp://b/'>b</a>"
         u"<a href=ftp://a/1.mkv>a</a>"_s,
         u"ftp://a/1.mkv`ftp://b/`ftp://a/1.mkv`"_s},
        {u"<A HREF=\"FTP://upper/\">x</A><a thunderhref=\"thunder:ftp://x/y\" href=\"#\">t</a>"_s,
         u"FTP://upper/`ftp://x/y`"_s},
        {u"<a href=\"http://x/\">web</a><p>ftp://text/not/in/a/link</p><img src=\"ftp://img/\">"_s, QString()},
        {u"<a href=\"ftp://a/\">x</a><a href=\"ftp://b/"_s, u"ftp://a/`ftp://b/`"_s}, // recovered as a browser does
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractFtpLinks(ParseHtml(c.page)), c.links) << c.page.toStdString();
}
