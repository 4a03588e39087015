#include "library/title.h"

#include "library/lower_case.h"

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

// A marker at the very start is part of the title ("HD.Movie.mkv"), so only later ones cut.
void CutAtMarker(QString& t, const QString& marker) {
    const qsizetype at = t.indexOf(marker);
    if (at > 0)
        t.truncate(at);
}

} // namespace

QString TitleFromFileName(QString fileName) {
    QString t = std::move(fileName);
    RemoveBracketGroups(t, u'[', u']');
    RemoveBracketGroups(t, u'【', u'】');
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
