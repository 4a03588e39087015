#include "library/file_name.h"

#include <QStringList>
#include <iconv.h>

namespace {

// Length of the valid UTF-8 sequence at `at`, or 0: overlong forms, encoded surrogates and values
// beyond U+10FFFF are not valid, as Qt's own decoder holds.
qsizetype Utf8SequenceAt(QByteArrayView bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

// The part's bytes as GB18030; nothing when they are not valid GB18030 (the part is never empty).
QString Gb18030Text(const QByteArray& bytes) {
    const iconv_t cd = iconv_open("UTF-16LE", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    // At most one UTF-16 unit per input byte; a pair per byte leaves room for anything.
    QByteArray out(bytes.size() * 4 + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const bool ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    if (!ok)
        return {};
    return QString(reinterpret_cast<const QChar*>(out.constData()), (outPtr - out.constData()) / 2);
}

QString ReadablePart(QStringView part) {
    if (!HoldsFileNameBytes(part))
        return part.toString();
    const QString text = Gb18030Text(EncodeFileName(part));
    if (!text.isEmpty())
        return text;
    QString shown = part.toString();
    for (QChar& c : shown)
        if (IsFileNameByte(c))
            c = QChar::ReplacementCharacter;
    return shown;
}

} // namespace

QString DecodeFileName(QByteArrayView bytes) {
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = Utf8SequenceAt(bytes, at);
        if (length == 0) {
            name += QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[at])));
            ++at;
        } else {
            name += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
        }
    }
    return name;
}

QByteArray EncodeFileName(QStringView name) {
    if (!HoldsFileNameBytes(name))
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size() * 3);
    qsizetype text = 0; // start of the text not yet encoded
    for (qsizetype i = 0; i < name.size(); ++i) {
        // A high surrogate with its low one is a character beyond the first plane, whatever the low one.
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!IsFileNameByte(name[i]))
            continue;
        bytes += name.sliced(text, i - text).toUtf8();
        bytes += char(name[i].unicode() - 0xDC00);
        text = i + 1;
    }
    bytes += name.sliced(text).toUtf8();
    return bytes;
}

bool HoldsFileNameBytes(QStringView path) {
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i].isHighSurrogate() && i + 1 < path.size() && path[i + 1].isLowSurrogate())
            ++i;
        else if (IsFileNameByte(path[i]))
            return true;
    }
    return false;
}

QString ReadableFileName(const QString& path) {
    if (!HoldsFileNameBytes(path))
        return path;
    QStringList parts;
    for (const QStringView part : QStringView(path).split(u'/'))
        parts << ReadablePart(part);
    return parts.join(u'/');
}
