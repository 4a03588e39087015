#include "pages/text_codec.h"

#include <QList>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

int Digit(char c) {
    return static_cast<unsigned char>(c) - StoredDigitBase;
}

char StoredDigit(unsigned value) {
    return static_cast<char>(StoredDigitBase + (value & 0x3F));
}

void AppendUnit(QByteArray& out, qsizetype index, char16_t unit) {
    const ShiftRow row = ShiftTable[index % 6];
    // Overlapping fields repeat the same bits of the unit, so OR-ing them back gives the unit exactly.
    out += StoredDigit(unit >> row.first);
    out += StoredDigit(unit >> row.second);
    out += StoredDigit(unit);
}

} // namespace

QString DecodeWideText(const char* stored) {
    if (!stored || !*stored)
        return {};
    const qsizetype count = static_cast<qsizetype>(std::strlen(stored)) / 3;
    QString units;
    units.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const ShiftRow row = ShiftTable[i % 6];
        const char* triple = stored + 3 * i;
        const unsigned unit = ((static_cast<unsigned>(Digit(triple[0])) << row.first) & 0xFFFF) |
                              ((static_cast<unsigned>(Digit(triple[1])) << row.second) & 0xFFFF) |
                              (static_cast<unsigned>(Digit(triple[2])) & 0xFFFF);
        if (unit == 0)
            break;
        units += QChar(static_cast<char16_t>(unit));
    }
    return units;
}

QString DecodeText(const char* stored) {
    const QString units = DecodeWideText(stored);
    if (units.isNull())
        return {};
    QString text;
    text.reserve(units.size() * 2);
    for (QChar unit : units) {
        const char16_t high = unit.unicode() >> 8;
        const char16_t low = unit.unicode() & 0xFF;
        if (high == 0)
            break;
        text += QChar(high);
        if (low == 0)
            break;
        text += QChar(low);
    }
    return text;
}

QByteArray EncodeWideText(const QString& text) {
    QByteArray out;
    out.reserve(text.size() * 3);
    qsizetype index = 0;
    for (QChar c : text) {
        if (c.unicode() == 0)
            continue;
        AppendUnit(out, index++, c.unicode());
    }
    return out;
}

QString ReferenceWideCharacters(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (char32_t codePoint : text.toUcs4()) {
        if (codePoint == 0)
            continue;
        if (codePoint <= 0xFF)
            out += QChar(static_cast<char16_t>(codePoint));
        else
            out += u"&#"_s + QString::number(codePoint) + u';';
    }
    return out;
}

QByteArray EncodeText(const QString& text) {
    const QString bytes = ReferenceWideCharacters(text);
    QByteArray out;
    out.reserve(bytes.size() * 3 / 2 + 3);
    qsizetype index = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        const char16_t high = bytes[i].unicode();
        const char16_t low = i + 1 < bytes.size() ? bytes[i + 1].unicode() : 0;
        AppendUnit(out, index++, static_cast<char16_t>(high << 8 | low));
    }
    return out;
}
