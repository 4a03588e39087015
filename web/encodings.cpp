#include "web/encodings.h"

#include <QChar>
#include <QUtf8StringView>
#include <cerrno>
#include <iconv.h>

using namespace Qt::StringLiterals;

namespace {

// As far as a browser looks for a declaration before it decodes.
constexpr qsizetype ProbeLength = 1024;

// The converters take zero-terminated bytes: anything from the first zero byte on is not text.
QByteArray UpToZero(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? bytes : bytes.left(end);
}

bool IsAscii(const QByteArray& bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// One converter per code page and thread, opened on first use: a results page is converted line by
// line, and opening a converter costs far more than converting a line.
class Converter {
public:
    explicit Converter(const char* codePage) : cd_(iconv_open("UTF-16LE", codePage)) {}
    ~Converter() {
        if (IsOpen())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Back to the initial state, whatever the last conversion left.
    iconv_t Reset() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

private:
    iconv_t cd_;
};

Converter& Cp936() {
    // GB18030 holds all of GBK and GB2312, and the characters pages of either often carry beyond them.
    thread_local Converter converter("GB18030");
    return converter;
}

Converter& Cp950() {
    thread_local Converter converter("CP950");
    return converter;
}

// Converts with iconv the way the Windows converter behaves with default flags: a byte that does
// not start a valid sequence becomes U+FFFD and the conversion goes on with the next byte.
QString ConvertCodePage(const QByteArray& input, Converter& (*converterOf)()) {
    const QByteArray bytes = UpToZero(input);
    if (bytes.isEmpty())
        return {};
    if (IsAscii(bytes)) // every code page here is an ASCII superset
        return QString::fromLatin1(bytes);

    Converter& converter = converterOf();
    if (!converter.IsOpen())
        return {};
    iconv_t cd = converter.Reset();
    // A double-byte code page never needs more than one UTF-16 unit per input byte; a pair of
    // units per byte leaves room for anything iconv may produce.
    QByteArray out(bytes.size() * 4 + 8, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const auto putReplacement = [&] {
        // U+FFFD, little-endian
        *outPtr++ = char(0xFD);
        *outPtr++ = char(0xFF);
        outLeft -= 2;
    };
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ) {
            putReplacement();
            ++in;
            --inLeft;
        } else if (errno == EINVAL) { // a lead byte cut off by the end of the text
            putReplacement();
            break;
        } else {
            break; // E2BIG cannot happen with the room above
        }
    }
    const auto units = (outPtr - out.constData()) / 2;
    return QString(reinterpret_cast<const QChar*>(out.constData()), units);
}

} // namespace

QString AnsiToWide(const QByteArray& bytes) {
    return ConvertCodePage(bytes, Cp936);
}

QString Big5ToWide(const QByteArray& bytes) {
    return ConvertCodePage(bytes, Cp950);
}

QString Utf8ToWide(const QByteArray& bytes) {
    return QString::fromUtf8(UpToZero(bytes));
}

QByteArray WideToUtf8(const QString& text) {
    return text.toUtf8();
}

QString DecodePageBytes(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return Utf8ToWide(bytes.mid(3));
    // Two bytes per character at most, so this prefix always holds the first characters of the probe.
    QString probe = AnsiToWide(UpToZero(bytes).left(ProbeLength * 2)).left(ProbeLength).toLower();
    const qsizetype charset = probe.indexOf(u"charset="_s);
    if (charset < 0) {
        // Undeclared: bytes that are valid UTF-8 are read as such, as a browser's detector would.
        const QByteArray text = UpToZero(bytes);
        if (!IsAscii(text) && QUtf8StringView(text).isValidUtf8())
            return Utf8ToWide(text);
        return AnsiToWide(bytes);
    }
    probe = probe.mid(charset + 8);
    // `charset="utf-8"` (the common HTML5 form) names the same code page as `charset=utf-8`.
    qsizetype from = 0;
    while (from < probe.size() && probe[from].isSpace())
        ++from;
    if (from < probe.size() && (probe[from] == u'"' || probe[from] == u'\''))
        ++from;
    while (from < probe.size() && probe[from].isSpace())
        ++from;
    probe = probe.mid(from);
    qsizetype cut = 0;
    while (cut < probe.size() && !probe[cut].isSpace() && probe[cut] != u'"' && probe[cut] != u'\'' &&
           probe[cut] != u'/' && probe[cut] != u'>')
        ++cut;
    probe.truncate(cut);

    if (probe == u"big5"_s)
        return Big5ToWide(bytes);
    if (probe == u"utf-8"_s || probe == u"utf8"_s)
        return Utf8ToWide(bytes);
    return AnsiToWide(bytes);
}

QString EncodeQuery(QString text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(text.size() * 3);
    const auto putByte = [&out](unsigned byte) {
        out += u'%';
        out += QLatin1Char(Hex[(byte >> 4) & 0xF]);
        out += QLatin1Char(Hex[byte & 0xF]);
    };
    for (QChar c : text) {
        const unsigned u = c.unicode();
        if (u >= 0x100) {
            // Always three bytes, also below U+0800 and for each half of a surrogate pair: the
            // engines have always been sent this form.
            putByte(0xE0 | (u >> 12));
            putByte(0x80 | ((u >> 6) & 0x3F));
            putByte(0x80 | (u & 0x3F));
        } else if (c.isLetterOrNumber()) {
            out += c;
        } else if (c.isSpace()) {
            out += u'+';
        } else {
            putByte(u);
        }
    }
    return out;
}
