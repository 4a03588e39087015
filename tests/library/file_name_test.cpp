#include "library/file_name.h"

#include <QByteArrayList>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FileName, EveryByteSequenceComesBackAndUtf8DecodesAsEver) {
    QByteArrayList names = {"plain.mkv",
                            "\xE7\x94\xB5\xE5\xBD\xB1.mkv" /* 电影 in UTF-8 */,
                            "\xF0\x9F\x8E\xAC.mkv" /* outside the first plane */,
                            "\xB5\xC1\xC3\xCE.mkv" /* GBK */,
                            "caf\xE9" /* Latin-1 */,
                            "\xED\xA0\x80\xED\xB2\x80" /* encoded surrogates */,
                            "\xC0\xAF" /* overlong */,
                            "\xF4\x90\x80\x80" /* beyond U+10FFFF */,
                            "\xE7\x94" /* cut off */,
                            "\x80\xBF\xFE\xFF",
                            "\xF0\x90\x82\x80\xB0" /* U+10080, whose low surrogate is in the byte range */};
    // Random bytes, weighted towards the high half where the faults are.
    QRandomGenerator random(20240601);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes(int(random.bounded(1, 12)), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random.bounded(2) ? random.bounded(0x80, 0x100) : random.bounded(1, 0x80));
        names << bytes;
    }
    for (const QByteArray& bytes : names) {
        const QString name = DecodeFileName(bytes);
        EXPECT_EQ(EncodeFileName(name), bytes) << bytes.toHex().constData();
        if (bytes.isValidUtf8()) {
            EXPECT_EQ(name, QString::fromUtf8(bytes)) << bytes.toHex().constData();
            EXPECT_FALSE(HoldsFileNameBytes(name));
        } else {
            EXPECT_TRUE(HoldsFileNameBytes(name)) << bytes.toHex().constData();
            // Such a name can never equal a name that is text.
            EXPECT_NE(name, QString::fromUtf8(bytes));
        }
    }
    EXPECT_EQ(DecodeFileName("\xB5\xC1.mkv"), u"\xDCB5\xDCC1.mkv"_s);
}

TEST(FileName, ReadableNamesShowGbkAsTextAndOtherBytesAsReplacements) {
    const QString gbkPath = DecodeFileName("/\xE7\x94\xB5\xE5\xBD\xB1/\xB5\xC1\xC3\xCE\xBF\xD5\xBC\xE4.2010.mkv");
    const struct {
        QString name;
        QString shown;
    } cases[] = {
        {u"/films/Heat.1995.avi"_s, u"/films/Heat.1995.avi"_s},
        // Each part on its own: the UTF-8 folder stays, the GBK name reads as GBK.
        {gbkPath, u"/电影/盗梦空间.2010.mkv"_s},
        // 0xFF is no GB18030 byte: only the bytes that are not UTF-8 show as U+FFFD.
        {DecodeFileName("\xE7\x94\xB5\xFF.mkv"), u"电\uFFFD.mkv"_s},
        {DecodeFileName("\x80"), u"\uFFFD"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadableFileName(c.name), c.shown) << c.shown.toStdString();
}
