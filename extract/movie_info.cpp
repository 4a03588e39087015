#include "extract/movie_info.h"

#include "extract/entities.h"
#include "extract/labels.h"
#include "library/movie_xml.h"

#include <QStringView>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype LongLine = 255;

char16_t AsciiLower(QChar c) {
    const char16_t u = c.unicode();
    return u >= u'A' && u <= u'Z' ? char16_t(u + 0x20) : u;
}

bool IsTagBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// The position of the ">" that ends the tag opening at `open`, or -1. A ">" inside a quoted
// attribute value (onclick="if(a>b)...") does not end it; an unclosed quote falls back to the first ">".
qsizetype TagEnd(const QString& page, qsizetype open) {
    const qsizetype n = page.size();
    bool afterEquals = false;
    for (qsizetype i = open + 1; i < n; ++i) {
        const char16_t c = page[i].unicode();
        if (c == u'>')
            return i;
        if (c == u'=') {
            afterEquals = true;
        } else if (afterEquals && (c == u'"' || c == u'\'')) {
            const qsizetype close = page.indexOf(QChar(c), i + 1);
            if (close < 0)
                return page.indexOf(u'>', i);
            i = close;
            afterEquals = false;
        } else if (!IsTagBlank(c)) {
            afterEquals = false;
        }
    }
    return -1;
}

// Tags that end a line as a reader sees it: line breaks and the block elements that hold lines.
bool BreaksLine(QStringView tag) {
    // `tag` runs from "<" to ">".
    qsizetype i = 1;
    const bool closing = i < tag.size() && tag[i] == u'/';
    if (closing)
        ++i;
    qsizetype end = i;
    while (end < tag.size() && !IsTagBlank(tag[end].unicode()) && tag[end] != u'>' && tag[end] != u'/')
        ++end;
    // No element that ends a line has a name of more than three letters.
    char16_t name[3] = {};
    const qsizetype length = end - i;
    if (length < 1 || length > 3)
        return false;
    for (qsizetype k = 0; k < length; ++k)
        name[k] = AsciiLower(tag[i + k]);
    const QStringView lowered(name, length);
    if (closing)
        return lowered == u"p" || lowered == u"div";
    return lowered == u"br" || lowered == u"p" || lowered == u"div" || lowered == u"li" || lowered == u"tr";
}

// The start of a line as the label table reads it: without blanks, U+3000, "◎" and "【", and only as
// long as a label decides.
QString MatchKey(const QString& line) {
    QString key;
    for (QChar c : line) {
        if (key.size() == LabelKeyChars)
            break;
        if (c != u' ' && c != u'\u3000' && c != u'◎' && c != u'【')
            key += c;
    }
    return key;
}

bool HoldsStopText(const QString& line) {
    return line.contains(u"下载地址"_s) || line.contains(u"快车下载"_s);
}

// Sorts the lines of the data into the record's fields and the overview. The download section ends
// the data; a heading above the data that names it ("…下载地址和剧情：") is left out instead, and a
// "◎" line naming the site's download page is one of the data's lines.
class LineSorter {
public:
    explicit LineSorter(MovieRecord& record) : record(record) {}

    // False once the data has ended.
    bool Take(const QString& line) {
        const QString value = line.trimmed();
        if (value.isEmpty())
            return true;
        if (HoldsStopText(value) && !value.startsWith(u'◎')) {
            if (sawLabel)
                return false;
            return true;
        }
        if (value.contains(u"发布时间"_s))
            return true;
        if (value.size() >= LongLine) {
            overview += value + u'\n';
            return true;
        }
        if (QString MovieRecord::*field = FieldForLabelKey(MatchKey(value))) {
            record.*field = value;
            sawLabel = true;
            if (field == &MovieRecord::Title)
                sawTitle = true;
            if (field == &MovieRecord::OriginalTitle)
                originalTitle = value;
        } else {
            overview += value + u'\n';
        }
        return true;
    }

    void Finish() {
        // A page that names the movie only by "片名" shows that as its title.
        if (!sawTitle && !originalTitle.isEmpty() && record.Title.isEmpty())
            record.Title = originalTitle;
        record.Overview = DecodeEntities(overview);
        if (record.Overview.isEmpty())
            record.Overview = QString::fromUtf16(NoInformationFoundText);
    }

private:
    MovieRecord& record;
    QString overview;
    QString originalTitle;
    bool sawLabel = false;
    bool sawTitle = false;
};

} // namespace

bool ExtractMovieInfo(MovieRecord& record, QString page) {
    page.replace(u"&nbsp;"_s, u" "_s);
    page.replace(u"\r\n"_s, QString());

    // The text between tags, cut into lines at line feeds and at the tags that end lines. The text
    // after the last tag is never part of the data.
    LineSorter sorter(record);
    QString line;
    qsizetype pos = page.indexOf(u'<');
    qsizetype start = 0;
    bool collecting = pos >= 0;
    while (collecting && pos >= 0) {
        const QStringView chunk = QStringView(page).mid(start, pos - start);
        for (qsizetype from = 0;;) {
            const qsizetype feed = chunk.indexOf(u'\n', from);
            if (feed < 0) {
                line += chunk.mid(from);
                break;
            }
            line += chunk.mid(from, feed - from);
            collecting = sorter.Take(line);
            line.clear();
            if (!collecting)
                break;
            from = feed + 1;
        }
        if (!collecting)
            break;
        const qsizetype close = TagEnd(page, pos);
        if (close < 0)
            break;
        if (BreaksLine(QStringView(page).mid(pos, close - pos + 1))) {
            collecting = sorter.Take(line);
            line.clear();
        }
        start = close + 1;
        pos = page.indexOf(u'<', start);
    }
    if (collecting)
        sorter.Take(line);
    sorter.Finish();
    return true;
}
