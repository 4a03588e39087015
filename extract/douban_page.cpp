#include "extract/page_pictures.h"
#include "extract/site_readers.h"
#include "web/html_text.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

// "标签: 值" with an ASCII or a full-width colon; the label empty when there is none.
std::pair<QString, QString> SplitLabel(const QString& line) {
    qsizetype colon = line.indexOf(u':');
    const qsizetype wide = line.indexOf(u'：');
    if (colon < 0 || (wide >= 0 && wide < colon))
        colon = wide;
    if (colon <= 0 || colon > 12)
        return {QString(), line.trimmed()};
    return {line.left(colon).trimmed(), line.mid(colon + 1).trimmed()};
}

// The title the page names itself by: its <title> without the site's suffix.
QString DocumentTitle(const HtmlDocument& doc) {
    const int title = FindElement(doc, u"title");
    if (title < 0)
        return {};
    QString text;
    for (int i = title + 1; i < doc.Nodes[title].End; ++i)
        text += doc.Nodes[i].Text;
    text = text.simplified();
    static const QRegularExpression suffix(u"\\s*[(（]豆瓣[)）]\\s*$"_s);
    return text.contains(suffix) ? text.remove(suffix).trimmed() : QString();
}

void ReadInfoLines(const HtmlDocument& doc, int info, PageFacts& facts, QString& firstRelease) {
    const QStringList lines = RenderVisibleText(doc, info).Text.split(u'\n');
    for (const QString& line : lines) {
        const auto [label, value] = SplitLabel(line);
        if (value.isEmpty())
            continue;
        if (label == u"制片国家/地区"_s || label == u"国家/地区"_s) {
            facts.Countries = value;
        } else if (label == u"类型"_s) {
            facts.Genres = value;
        } else {
            if (label == u"上映日期"_s || label == u"首播"_s || label == u"首映"_s)
                for (const QString& year : YearsIn(value))
                    firstRelease = EarlierYear(firstRelease, year);
            facts.Lines.append(label.isEmpty() ? value : label + u": "_s + value);
        }
    }
}

QString Summary(const HtmlDocument& doc) {
    // The long form, which the page hides until asked, holds the whole plot; the short one is cut.
    const int summary = FindElement(doc, u"span", u"property", u"v:summary");
    int whole = -1;
    for (int span : FindElements(doc, u"span", u"class")) {
        if (HasClass(doc.Nodes[span], u"all") && HasClass(doc.Nodes[span], u"hidden")) {
            whole = span;
            break;
        }
    }
    QStringList lines = ShownText(doc, whole >= 0 ? whole : summary).split(u'\n');
    for (QString& line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return lines.join(u'\n');
}

} // namespace

PageFacts ReadDoubanPage(const HtmlDocument& doc, const QString& pageUrl) {
    PageFacts facts;
    const int heading = FindElement(doc, u"span", u"property", u"v:itemreviewed");
    const int info = FindElement(doc, u"div", u"id", u"info");
    if (heading < 0 && info < 0)
        return facts;

    const QString shown = ShownLine(doc, heading);
    const QString named = DocumentTitle(doc);
    if (!named.isEmpty() && shown.startsWith(named)) {
        facts.Title = named;
        const QString rest = shown.mid(named.size()).trimmed();
        facts.OriginalTitle = rest.isEmpty() ? named : rest;
    } else {
        facts.Title = shown;
    }
    const int year = FindByClass(doc, u"span", u"year");
    facts.Year = YearIn(ShownLine(doc, year));

    QString firstRelease;
    if (info >= 0)
        ReadInfoLines(doc, info, facts, firstRelease);
    if (facts.Year.isEmpty())
        facts.Year = firstRelease;

    QStringList genres;
    for (int genre : FindElements(doc, u"span", u"property", u"v:genre"))
        genres.append(ShownLine(doc, genre));
    if (!genres.isEmpty())
        facts.Genres = JoinedList(genres);

    const int average = FindElement(doc, {}, u"property", u"v:average");
    const int best = FindElement(doc, {}, u"property", u"v:best");
    facts.Rating =
        ScoreText(u"豆瓣"_s, ShownLine(doc, average), best >= 0 ? AttributeOf(doc.Nodes[best], u"content") : u"10"_s);
    facts.Plot = Summary(doc);

    facts.Posters = PicturesIn(doc, FindElement(doc, u"div", u"id", u"mainpic"), pageUrl, 1);
    const int related = FindElement(doc, u"div", u"id", u"related-pic");
    facts.Stills = PicturesIn(doc, related, pageUrl, MaxStills);
    return facts;
}
