#include "extract/labelled_lines.h"

#include "extract/labels.h"
#include "library/movie_record.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype LongLine = 255;

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

// "IMDb: tt0111161" names the film on another site; it is no score.
bool IsTitleId(const QString& line) {
    static const QRegularExpression id(u"tt[0-9]{5,}"_s);
    static const QRegularExpression score(u"[0-9]\\.[0-9]"_s);
    return line.contains(id) && !line.contains(score);
}

bool HoldsStopText(const QString& line) {
    return line.contains(u"下载地址"_s) || line.contains(u"快车下载"_s);
}

QString* FactFor(PageFacts& facts, QString MovieRecord::*field) {
    if (field == &MovieRecord::Title)
        return &facts.Title;
    if (field == &MovieRecord::OriginalTitle)
        return &facts.OriginalTitle;
    if (field == &MovieRecord::CountryOfOrigin)
        return &facts.Countries;
    if (field == &MovieRecord::ProductionYear)
        return &facts.Year;
    if (field == &MovieRecord::Genres)
        return &facts.Genres;
    if (field == &MovieRecord::Rating)
        return &facts.Rating;
    return nullptr;
}

} // namespace

LabelledLines ReadLabelledLines(const QStringList& lines) {
    LabelledLines result;
    bool sawTitle = false;
    QString namedTitle; // the "片名" line: the title of a page that has no translated one
    for (const QString& line : lines) {
        ++result.LinesRead;
        const QString value = line.trimmed();
        if (value.isEmpty())
            continue;
        // The download section ends the data; a heading above the data that names it
        // ("…下载地址和剧情：") is left out instead, and a "◎" line naming the download page is data.
        if (HoldsStopText(value) && !value.startsWith(u'◎')) {
            if (result.Labelled) {
                --result.LinesRead;
                break;
            }
            continue;
        }
        if (value.contains(u"发布时间"_s))
            continue;
        if (value.size() >= LongLine) {
            result.Overview.append(value);
            continue;
        }
        const QString key = MatchKey(value);
        QString* fact = FactFor(result.Facts, FieldForLabelKey(key));
        if (fact == &result.Facts.Rating && IsTitleId(value))
            fact = nullptr;
        if (!fact) {
            result.Overview.append(value);
            continue;
        }
        *fact = value;
        result.Labelled = true;
        sawTitle = sawTitle || fact == &result.Facts.Title;
        if (fact == &result.Facts.OriginalTitle && key.startsWith(u"片名"_s))
            namedTitle = value;
    }
    if (!sawTitle && !namedTitle.isEmpty())
        result.Facts.Title = namedTitle;
    return result;
}
