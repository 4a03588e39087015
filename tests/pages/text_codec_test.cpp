#include "pages/builtin_texts.h"
#include "pages/text_codec.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString EveryLatin1Character() {
    QString text;
    for (char16_t c = 1; c <= 0xFF; ++c)
        text += QChar(c);
    return text;
}

QString Readable(const char* name) {
    QFile file(QStringLiteral(REELBOARD_SOURCE_DIR "/pages/texts/") + QString::fromUtf8(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(TextCodec, WideRoundTripKeepsEveryUnit) {
    QString text = u"目录 dirs.txt\r\n"_s + QChar(0xFFFF) + QChar(0x8000) + QChar(0x0001) + QChar(0x00FF) +
                   QChar(0x0100) + QChar(0xD83C) + QChar(0xDFAC) + QChar(0xDC00);
    for (char16_t unit = 1; unit != 0; unit = static_cast<char16_t>(unit * 3 + 1))
        text += QChar(unit);
    const QByteArray stored = EncodeWideText(text);
    ASSERT_EQ(stored.size(), text.size() * 3);
    for (char c : stored) {
        EXPECT_GE(c, ':');
        EXPECT_LE(c, 'y');
    }
    EXPECT_EQ(DecodeWideText(stored.constData()), text);
}

TEST(TextCodec, EveryUnitValueSurvivesEveryShiftRow) {
    for (int row = 0; row < 6; ++row) {
        for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
            QString text(row, u'x');
            text += QChar(static_cast<char16_t>(unit));
            const QString back = DecodeWideText(EncodeWideText(text).constData());
            ASSERT_EQ(back, text) << "row " << row << " unit " << unit;
        }
    }
}

TEST(TextCodec, RowsRepeatEverySixUnits) {
    // The same unit encodes to the same triple at indexes 0 and 6, and differently under another row.
    const QByteArray stored = EncodeWideText(QString(7, QChar(0x4E2D)));
    EXPECT_EQ(stored.mid(0, 3), stored.mid(18, 3));
    EXPECT_NE(stored.mid(0, 3), stored.mid(3, 3));
}

TEST(TextCodec, ByteTextRoundTripsEvenAndOddLengths) {
    const QString all = EveryLatin1Character();
    ASSERT_EQ(all.size() % 2, 1);
    EXPECT_EQ(DecodeText(EncodeText(all).constData()), all);
    EXPECT_EQ(DecodeText(EncodeText(all.left(254)).constData()), all.left(254));
    EXPECT_EQ(DecodeText(EncodeText(u"a"_s).constData()), u"a"_s);
    EXPECT_EQ(DecodeText(EncodeText(u"ab"_s).constData()), u"ab"_s);
    // An odd text ends with a unit whose low byte is zero: one unit for one character.
    EXPECT_EQ(EncodeText(u"abc"_s).size(), 6);
}

TEST(TextCodec, WideCharactersBecomeReferencesInByteTexts) {
    EXPECT_EQ(DecodeText(EncodeText(u"播放 é"_s).constData()), u"&#25773;&#25918; é"_s);
    // One reference per code point, not per surrogate.
    EXPECT_EQ(ReferenceWideCharacters(u"\U0001F3AC!"_s), u"&#127916;!"_s);
    EXPECT_EQ(ReferenceWideCharacters(u"a\u0000b"_s), u"ab"_s);
}

TEST(TextCodec, IncompleteTriplesAreIgnored) {
    const QByteArray stored = EncodeWideText(u"wall"_s);
    EXPECT_EQ(DecodeWideText(QByteArray(stored + "y").constData()), u"wall"_s);
    EXPECT_EQ(DecodeWideText(QByteArray(stored + "yy").constData()), u"wall"_s);
    const QByteArray bytes = EncodeText(u"wall"_s);
    EXPECT_EQ(DecodeText(QByteArray(bytes + "yy").constData()), u"wall"_s);
}

TEST(TextCodec, ZeroUnitOrZeroByteEndsTheText) {
    const QByteArray stopped = EncodeWideText(u"ab"_s) + QByteArray(":::") + EncodeWideText(u"cd"_s);
    EXPECT_EQ(DecodeWideText(stopped.constData()), u"ab"_s);
    EXPECT_EQ(DecodeWideText(":::"), QString());
    EXPECT_TRUE(DecodeWideText("").isNull());
    EXPECT_TRUE(DecodeWideText(nullptr).isNull());
    EXPECT_TRUE(DecodeText("").isNull());
    // A unit with a zero high byte ends a byte text, as the zero character it stands for would.
    const QString units = QChar(0x6162) + QString(QChar(0x0041)) + QChar(0x6364);
    EXPECT_EQ(DecodeText(EncodeWideText(units).constData()), u"ab"_s);
}

TEST(BuiltinTexts, DecodeToTheirReadableSources) {
    auto asByteText = [](QString text) {
        while (text.endsWith(u'\n') || text.endsWith(u'\r'))
            text.chop(1);
        return ReferenceWideCharacters(text);
    };
    EXPECT_EQ(DecodeText(StartPageText), asByteText(Readable("StartPageText.txt")));
    EXPECT_EQ(DecodeText(SearchLinkPrefixes), asByteText(Readable("SearchLinkPrefixes.txt")));
    EXPECT_EQ(DecodeText(SearchLinkExclusions), asByteText(Readable("SearchLinkExclusions.txt")));
    EXPECT_EQ(DecodeText(WallPageTemplate), asByteText(Readable("WallPageTemplate.html")));
    EXPECT_EQ(DecodeText(DetailHeaderTemplate), asByteText(Readable("DetailHeaderTemplate.html")));
    EXPECT_EQ(DecodeText(DetailBodyTemplate), asByteText(Readable("DetailBodyTemplate.html")));
    EXPECT_EQ(DecodeText(EditFormTemplate), asByteText(Readable("EditFormTemplate.html")));
    EXPECT_EQ(DecodeText(DefaultFolderList), asByteText(Readable("DefaultFolderList.txt")));

    QString header = Readable("FolderListHeader.txt").replace(u"\r\n"_s, u"\n"_s);
    while (header.endsWith(u'\n'))
        header.chop(1);
    header = header.isEmpty() ? QString() : header.replace(u'\n', u"\r\n"_s) + u"\r\n"_s;
    EXPECT_EQ(DecodeWideText(FolderListHeader), header);
}
