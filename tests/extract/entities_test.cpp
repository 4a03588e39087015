#include "extract/entities.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(DecodeEntities, ReplacesEachOfTheTableReferences) {
    EXPECT_EQ(DecodeEntities(u"&Aacute;&Alpha;&Gamma;&aacute;&agrave;&ang;&eacute;&ecirc;&egrave;&hellip;"_s),
              u"ÁΑΓáà∠éêè…"_s);
    EXPECT_EQ(DecodeEntities(u"&iacute;&iota;&ldquo;&lsquo;&mdash;&middot;&ndash;&ntilde;&oacute;&ocirc;"_s),
              u"íι“‘—·–ñóô"_s);
    EXPECT_EQ(DecodeEntities(u"&omicron;&psi;&rdquo;&rsquo;&theta;&times;&uacute;&upsilon;&uuml;"_s), u"οψ”’θ×úυü"_s);
    EXPECT_EQ(DecodeEntities(u"Am&eacute;lie &eacute;t&eacute;"_s), u"Amélie été"_s);
}

TEST(DecodeEntities, LeavesEverythingElseAlone) {
    for (const QString& text : {u"&Eacute;"_s, u"&amp;eacute;"_s, u"&hellip"_s, u"&amp; &quot; &lt; &gt;"_s,
                                u"&#233; &#xE9;"_s, u"&nbsp;"_s, u"no references"_s, QString()})
        EXPECT_EQ(DecodeEntities(text), text) << text.toStdString();
}
