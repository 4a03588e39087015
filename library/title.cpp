#include "library/title.h"

#include "library/lower_case.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

// Removes open...close groups from the front while the first `close` follows the first `open`;
// a stray closing mark before the first opening one ends the removal.
void RemoveBracketGroups(QString& t, QChar open, QChar close) {
    for (;;) {
        const qsizetype start = t.indexOf(open);
        const qsizetype end = t.indexOf(close);
        if (start < 0 || end < 0 || end <= start)
            return;
        t.remove(start, end - start + 1);
    }
}

bool IsWordCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

// A marker cuts where it begins a word ("Heat.DVDRip", "盗梦空间720p"), never inside one
// ("Abduction"); one at the very start is part of the title ("HD.Movie.mkv").
void CutAtMarker(QString& t, const QString& marker) {
    for (qsizetype at = t.indexOf(marker, 1); at > 0; at = t.indexOf(marker, at + 1)) {
        if (!IsWordCharacter(t[at - 1])) {
            t.truncate(at);
            return;
        }
    }
}

// Download sites put their name and address before the title ("某某电影www.example.com.片名",
// "某某电影example.com片名", "www.example.com.Title"): like a bracket group, that is not the title.
// The address is a host name ending in a common top-level domain, after the site's name or "www.".
void RemoveSiteTag(QString& t) {
    static const QRegularExpression tag(
        u"^[.\\s_-]*(?:[^\\x{0}-\\x{7F}\\s\\[\\]【】]+(?:www\\.)?|www\\.)[A-Za-z0-9-]+?(?:\\.[A-Za-z0-9-]+)*?"
        u"\\.(?:com|net|org|cn|cc|tv|la|me|info|vip|top|xyz)(?![A-Za-z0-9])[.\\s_-]*"_s,
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = tag.match(t);
    // A name that is nothing but the tag keeps it.
    if (match.hasMatch() && match.capturedLength() < t.size())
        t.remove(0, match.capturedLength());
}

} // namespace

QString TitleFromFileName(QString fileName) {
    QString t = std::move(fileName);
    RemoveBracketGroups(t, u'[', u']');
    RemoveBracketGroups(t, u'【', u'】');
    RemoveSiteTag(t);
    for (const QString& marker : {u"1024"_s, u"720"_s, u"1080"_s, u"HD"_s})
        CutAtMarker(t, marker); // case-sensitive: "hdtv" in lower case is not a marker
    t = LowerCase(t);
    for (const QString& marker : {u"bd"_s, u"dvd"_s, u"xvid"_s})
        CutAtMarker(t, marker);
    const qsizetype dot = t.lastIndexOf(u'.');
    if (dot > 0)
        t.truncate(dot);
    t.replace(u'.', u' ');
    return t.trimmed();
}
