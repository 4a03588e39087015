#include "pages/escape.h"

#include <QUrl>

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
    for (QChar c : out) {
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
    return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded(QUrl::FullyEncoded));
}
