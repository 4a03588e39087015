#include "pipeline/update_notice.h"

#include "web/encodings.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

const QStringList AllowedTags = {u"a"_s, u"b"_s,     u"big"_s,  u"br"_s,     u"em"_s,  u"font"_s, u"i"_s, u"p"_s,
                                 u"s"_s, u"small"_s, u"span"_s, u"strong"_s, u"sub"_s, u"sup"_s,  u"u"_s};
const QStringList AllowedAttributes = {u"title"_s, u"color"_s, u"size"_s, u"face"_s, u"href"_s};
// Elements whose content is not text: dropped together with their content.
const QStringList DroppedWithContent = {u"script"_s,   u"style"_s, u"iframe"_s,   u"object"_s,
                                        u"textarea"_s, u"title"_s, u"noscript"_s, u"template"_s};

bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':';
}

QString EscapeAttribute(const QString& value) {
    QString out;
    for (QChar c : value) {
        if (c == u'"')
            out += u"&quot;"_s;
        else if (c == u'<')
            out += u"&lt;"_s;
        else if (c == u'>')
            out += u"&gt;"_s;
        else
            out += c;
    }
    return out;
}

bool IsWebAddress(const QString& value) {
    const QString v = value.trimmed().toLower();
    return v.startsWith(u"http://"_s) || v.startsWith(u"https://"_s);
}

struct Tag {
    bool closing = false;
    QString name;       // lower case
    QString attributes; // the kept ones, ready to write
    qsizetype end = 0;  // position after ">"
};

// Parses the tag that starts with "<" at `start`; false when there is no complete tag there.
bool ParseTag(const QString& s, qsizetype start, Tag& tag) {
    qsizetype i = start + 1;
    if (i < s.size() && s[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    if (i >= s.size() || !s[i].isLetter())
        return false;
    const qsizetype nameStart = i;
    while (i < s.size() && IsNameChar(s[i]))
        ++i;
    tag.name = s.mid(nameStart, i - nameStart).toLower();
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'>') {
            tag.end = i + 1;
            return true;
        }
        if (c.isSpace() || c == u'/') {
            ++i;
            continue;
        }
        const qsizetype attrStart = i;
        while (i < s.size() && !s[i].isSpace() && s[i] != u'=' && s[i] != u'>' && s[i] != u'/')
            ++i;
        const QString attr = s.mid(attrStart, i - attrStart).toLower();
        if (i == attrStart)
            ++i; // a stray character such as a quote: skip it
        QString value;
        bool hasValue = false;
        while (i < s.size() && s[i].isSpace())
            ++i;
        if (i < s.size() && s[i] == u'=') {
            hasValue = true;
            ++i;
            while (i < s.size() && s[i].isSpace())
                ++i;
            if (i < s.size() && (s[i] == u'"' || s[i] == u'\'')) {
                const QChar quote = s[i];
                const qsizetype close = s.indexOf(quote, i + 1);
                if (close < 0)
                    return false;
                value = s.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < s.size() && !s[i].isSpace() && s[i] != u'>')
                    ++i;
                value = s.mid(valueStart, i - valueStart);
            }
        }
        if (!hasValue || !AllowedAttributes.contains(attr))
            continue;
        if (attr == u"href"_s && (tag.name != u"a"_s || !IsWebAddress(value)))
            continue;
        tag.attributes += u' ' + attr + u"=\""_s + EscapeAttribute(value) + u'"';
    }
    return false;
}

} // namespace

QString UpdateNoticeFromReply(const QByteArray& reply) {
    const qsizetype zero = reply.indexOf('\0');
    return SanitizeNoticeMarkup(AnsiToWide(zero < 0 ? reply : reply.left(zero)));
}

QString SanitizeNoticeMarkup(const QString& markup) {
    QString out;
    qsizetype i = 0;
    while (i < markup.size()) {
        const QChar c = markup[i];
        if (c != u'<') {
            out += c;
            ++i;
            continue;
        }
        if (markup.mid(i, 4) == u"<!--"_s) {
            const qsizetype close = markup.indexOf(u"-->"_s, i + 4);
            i = close < 0 ? markup.size() : close + 3;
            continue;
        }
        Tag tag;
        if (!ParseTag(markup, i, tag)) {
            out += u"&lt;"_s;
            ++i;
            continue;
        }
        i = tag.end;
        if (!tag.closing && DroppedWithContent.contains(tag.name)) {
            const qsizetype close = markup.indexOf(u"</"_s + tag.name, i, Qt::CaseInsensitive);
            if (close < 0) {
                i = markup.size();
                continue;
            }
            const qsizetype closeEnd = markup.indexOf(u'>', close);
            i = closeEnd < 0 ? markup.size() : closeEnd + 1;
            continue;
        }
        if (!AllowedTags.contains(tag.name))
            continue;
        if (tag.closing)
            out += u"</"_s + tag.name + u'>';
        else
            out += u'<' + tag.name + tag.attributes + u'>';
    }
    return out;
}
