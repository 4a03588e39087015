#include "extract/page_facts.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

QString LabelOf(const QString& line) {
    const qsizetype colon = line.indexOf(u':');
    return colon > 0 ? line.left(colon).trimmed() : QString();
}

void AddMissing(QStringList& into, const QStringList& from) {
    for (const QString& item : from)
        if (!item.isEmpty() && !into.contains(item))
            into.append(item);
}

void Fill(QString& into, const QString& from) {
    if (into.trimmed().isEmpty() && !from.trimmed().isEmpty())
        into = from;
}

} // namespace

void FillMissing(PageFacts& into, const PageFacts& from) {
    Fill(into.Title, from.Title);
    Fill(into.OriginalTitle, from.OriginalTitle);
    Fill(into.Year, from.Year);
    Fill(into.Countries, from.Countries);
    Fill(into.Genres, from.Genres);
    Fill(into.Rating, from.Rating);
    Fill(into.Plot, from.Plot);
    QSet<QString> labels;
    for (const QString& line : std::as_const(into.Lines))
        labels.insert(LabelOf(line));
    for (const QString& line : from.Lines) {
        const QString label = LabelOf(line);
        if (label.isEmpty() ? !into.Lines.contains(line) : !labels.contains(label)) {
            into.Lines.append(line);
            labels.insert(label);
        }
    }
    AddMissing(into.Posters, from.Posters);
    AddMissing(into.Stills, from.Stills);
}

QString JoinedList(const QStringList& items) {
    QStringList kept;
    for (const QString& item : items) {
        const QString value = item.trimmed();
        if (!value.isEmpty() && !kept.contains(value))
            kept.append(value);
    }
    return kept.join(u" / "_s);
}

QStringList YearsIn(const QString& text) {
    static const QRegularExpression year(u"(?<![0-9])(18[7-9][0-9]|19[0-9][0-9]|20[0-9][0-9])(?![0-9])"_s);
    QStringList years;
    for (const QRegularExpressionMatch& match : year.globalMatch(text))
        years.append(match.captured(1));
    return years;
}

QString YearIn(const QString& text) {
    return YearsIn(text).value(0);
}

QString EarlierYear(const QString& a, const QString& b) {
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return b.toInt() < a.toInt() ? b : a;
}

QString ScoreText(const QString& source, const QString& value, const QString& scale) {
    static const QRegularExpression number(u"^\\s*([0-9]+(?:\\.[0-9]+)?)\\s*$"_s);
    const QRegularExpressionMatch match = number.match(value);
    if (!match.hasMatch() || match.captured(1).toDouble() <= 0)
        return {};
    const double best = scale.trimmed().toDouble();
    return source + u' ' + match.captured(1) + u'/' + (best > 0 ? QString::number(best) : u"10"_s);
}

QString ResolvedAddress(const QString& pageUrl, const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u"data:"_s, Qt::CaseInsensitive))
        return {};
    const QUrl resolved = QUrl(pageUrl).resolved(QUrl(trimmed));
    const QString scheme = resolved.scheme().toLower();
    if ((scheme != u"http"_s && scheme != u"https"_s) || resolved.host().isEmpty())
        return {};
    return resolved.toString(QUrl::FullyEncoded);
}

QString SiteName(const QString& pageUrl) {
    const QString host = QUrl(pageUrl).host().toLower();
    if (host == u"douban.com"_s || host.endsWith(u".douban.com"_s))
        return u"豆瓣"_s;
    if (host == u"imdb.com"_s || host.endsWith(u".imdb.com"_s))
        return u"IMDb"_s;
    if (host == u"maoyan.com"_s || host.endsWith(u".maoyan.com"_s))
        return u"猫眼"_s;
    return host.isEmpty() ? u"评分"_s : host;
}
