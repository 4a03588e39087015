#include "pages/escape.h"

#include "library/file_name.h"

#include <QUrl>
#include <cstring>

using namespace Qt::StringLiterals;

QString EscapeBackslashes(QString path) {
    return path.replace(u'\\', u"\\\\"_s);
}

QString EscapeHtml(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += u"&amp;"_s;
            break;
        case '<':
            out += u"&lt;"_s;
            break;
        case '>':
            out += u"&gt;"_s;
            break;
        case '"':
            out += u"&quot;"_s;
            break;
        case '\'':
            out += u"&#39;"_s;
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString EscapeScriptString(const QString& text) {
    QString out = EscapeBackslashes(text);
    QString escaped;
    escaped.reserve(out.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        // A lone surrogate (a file-name byte that is not UTF-8) cannot be written to a UTF-8 page; as an
        // escape the script still gets it, and hands it back over the channel unchanged.
        if (c.isSurrogate()) {
            if (c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
                escaped += c;
                escaped += out[++i];
            } else {
                escaped += u"\\u"_s + QString::number(c.unicode(), 16).toUpper();
            }
            continue;
        }
        switch (c.unicode()) {
        case '"':
            escaped += u"\\\""_s;
            break;
        case '\'':
            escaped += u"\\'"_s;
            break;
        case '\n':
            escaped += u"\\n"_s;
            break;
        case '\r':
            escaped += u"\\r"_s;
            break;
        case '<':
            escaped += u"\\x3c"_s;
            break;
        case 0x2028:
            escaped += u"\\u2028"_s;
            break;
        case 0x2029:
            escaped += u"\\u2029"_s;
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString EscapeScriptInAttribute(const QString& text) {
    return EscapeHtml(EscapeScriptString(text));
}

QString FileUrl(const QString& path) {
    if (path.isEmpty())
        return {};
    if (!HoldsFileNameBytes(path))
        return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded(QUrl::FullyEncoded));
    // QUrl would encode such a name as UTF-8 and lose its bytes: they are percent-encoded one by one,
    // keeping what QUrl keeps in a path. "//host/..." names a host, as in QUrl::fromLocalFile.
    static constexpr char kept[] = "-._~!$&'()*+,;=:@/[]";
    static constexpr char hex[] = "0123456789ABCDEF";
    QString url = path.startsWith(u'/') && !path.startsWith(u"//"_s) ? u"file://"_s : u"file:"_s;
    for (const char byte : EncodeFileName(path)) {
        const auto b = static_cast<unsigned char>(byte);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
            (b != 0 && std::strchr(kept, b))) {
            url += QLatin1Char(char(b));
        } else {
            url += u'%';
            url += QLatin1Char(hex[b >> 4]);
            url += QLatin1Char(hex[b & 15]);
        }
    }
    return url;
}
