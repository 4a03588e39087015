#include "extract/movie_info.h"

#include "extract/entities.h"
#include "extract/labels.h"
#include "library/movie_xml.h"
#include "library/split_string.h"

#include <QStringView>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype LongLine = 255;

void BreakLines(QString& page) {
    page.replace(u"&nbsp;"_s, u" "_s);
    page.replace(u"\r\n"_s, QString());
    for (const QString& tag : {u"<br>"_s, u"<br/>"_s, u"<BR>"_s, u"<BR/>"_s, u"<br >"_s, u"<br />"_s})
        page.replace(tag, u"\r\n"_s);
}

// The text between tags, up to the first piece that belongs to the download section. Pieces that
// carry the posting date are left out. The text after the last tag is never part of the data.
QString TextBetweenTags(const QString& page) {
    QString collected;
    const qsizetype n = page.size();
    qsizetype start = 0; // the unread rest of the page begins here
    qsizetype pos = page.indexOf(u'<');
    while (pos >= 0) {
        const QStringView chunk = QStringView(page).mid(start, pos - start);
        if (chunk.contains(u"下载地址"_s) || chunk.contains(u"快车下载"_s))
            break;
        if (!chunk.contains(u"发布时间"_s))
            collected += chunk;
        start = pos;
        const qsizetype close = page.indexOf(u'>', start);
        if (close < 0)
            break;
        start = close + 1;
        if (start >= n)
            break;
        pos = page.indexOf(u'<', start);
    }
    return collected;
}

QString MatchKey(const QString& line) {
    QString key;
    key.reserve(line.size());
    for (QChar c : line) {
        if (c != u' ' && c != u'\u3000' && c != u'◎' && c != u'【')
            key += c;
    }
    return key;
}

} // namespace

bool ExtractMovieInfo(MovieRecord& record, QString page) {
    BreakLines(page);
    const QString collected = TextBetweenTags(page);

    QString overview;
    for (const QString& line : SplitString(collected, u'\n')) {
        const QString value = line.trimmed();
        if (value.isEmpty())
            continue;
        if (value.size() >= LongLine) {
            overview += value + u'\n';
            continue;
        }
        if (QString MovieRecord::*field = FieldForLabelKey(MatchKey(value)))
            record.*field = value;
        else
            overview += value + u'\n';
    }

    record.Overview = DecodeEntities(overview);
    if (record.Overview.isEmpty())
        record.Overview = QString::fromUtf16(NoInformationFoundText);
    WriteMovieXml(record);
    return true;
}
