#include "pages/card_marks.h"

#include "extract/labels.h"

using namespace Qt::StringLiterals;

namespace {

// The digits (and one decimal point) starting at `from`; `from` moves past them.
QString NumberAt(const QString& text, qsizetype& from) {
    const qsizetype start = from;
    bool point = false;
    while (from < text.size()) {
        const QChar c = text[from];
        if (c >= u'0' && c <= u'9') {
            ++from;
        } else if (c == u'.' && !point && from > start && from + 1 < text.size() && text[from + 1].isDigit()) {
            point = true;
            ++from;
        } else {
            break;
        }
    }
    return text.mid(start, from - start);
}

} // namespace

RatingValue ReadRating(const QString& rating) {
    const QString text = CleanFieldValue(rating);
    qsizetype i = 0;
    while (i < text.size() && !(text[i] >= u'0' && text[i] <= u'9'))
        ++i;
    const QString number = NumberAt(text, i);
    if (number.isEmpty())
        return {};
    const double value = number.toDouble();
    qsizetype j = i;
    while (j < text.size() && text[j].isSpace())
        ++j;
    QString scale;
    if (j < text.size() && (text[j] == u'/' || text[j] == u'／')) {
        ++j;
        while (j < text.size() && text[j].isSpace())
            ++j;
        scale = NumberAt(text, j);
    }
    if (scale.isEmpty())
        scale = value <= 10 ? u"10"_s : value <= 100 ? u"100"_s : QString();
    const double of = scale.toDouble();
    if (of <= 0 || value > of)
        return {};
    return {number, scale, value * 10 / of};
}

QString CardTitle(const MovieRecord& movie) {
    const QString titles = CleanFieldValue(movie.Title);
    // "盗梦空间/潜行凶间/全面启动" lists alternatives; the slash of "AC/DC" is part of the name.
    qsizetype end = 0;
    for (; end < titles.size(); ++end) {
        const QChar c = titles[end];
        if (c == u'／' || c == u'|' || c == u'｜')
            break;
        const bool latinBefore = end > 0 && titles[end - 1].unicode() < 0x80 && titles[end - 1].isLetterOrNumber();
        const bool latinAfter =
            end + 1 < titles.size() && titles[end + 1].unicode() < 0x80 && titles[end + 1].isLetterOrNumber();
        if (c == u'/' && !(latinBefore && latinAfter))
            break;
    }
    const QString title = titles.left(end).trimmed();
    return title.isEmpty() ? movie.DisplayTitle : title;
}

bool IsWatched(const QString& watched) {
    const QString value = watched.trimmed().toLower();
    return !value.isEmpty() && value != u"0" && value != u"否" && value != u"no" && value != u"false" &&
           value != u"未看";
}

bool LookupFoundNothing(const MovieRecord& movie) {
    return movie.Overview.startsWith(u"错误："_s);
}

QString CardMarks(const MovieRecord& movie) {
    QString marks;
    const RatingValue rating = ReadRating(movie.Rating);
    // The scale is drawn from the attribute: a wall of 10,000 cards holds no more nodes than it must.
    if (rating.Normalised >= 0)
        marks += u"<span class=rt data-of=/"_s + rating.Scale + u'>' + rating.Number + u"</span>"_s;
    if (IsWatched(movie.watched))
        marks += u"<span class=wt>&#10003;</span>"_s;
    if (LookupFoundNothing(movie))
        marks += u"<span class=nf title='网上没有找到这部影片的信息'>未找到</span>"_s;
    return marks;
}
