#include "extract/page_pictures.h"
#include "extract/site_readers.h"
#include "web/html_text.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

// The star bar is drawn as wide as the score is high: "width:92%" is 9.2 of 10. The score's digits
// themselves are drawn by a font the page ships, so they are not in the text.
QString StarScore(const HtmlDocument& doc, int root) {
    const int stars = FindByClass(doc, {}, u"star-on", root);
    if (stars < 0)
        return {};
    static const QRegularExpression width(u"width\\s*:\\s*([0-9]+(?:\\.[0-9]+)?)%"_s);
    const QRegularExpressionMatch match = width.match(AttributeOf(doc.Nodes[stars], u"style"));
    if (!match.hasMatch())
        return {};
    const double percent = match.captured(1).toDouble();
    return percent > 0 && percent <= 100 ? QString::number(percent / 10, 'f', 1) : QString();
}

void ReadBriefLines(const HtmlDocument& doc, int brief, PageFacts& facts) {
    for (int item : FindElements(doc, u"li", {}, {}, brief)) {
        const QList<int> links = FindElements(doc, u"a", {}, {}, item);
        const QString line = ShownLine(doc, item);
        if (!links.isEmpty() && facts.Genres.isEmpty()) {
            QStringList genres;
            for (int link : links)
                genres.append(ShownLine(doc, link));
            facts.Genres = JoinedList(genres);
        } else if (line.contains(u"上映"_s)) {
            facts.Year = YearIn(line);
            facts.Lines.append(u"上映日期: "_s + line);
        } else if (!line.isEmpty()) {
            QStringList countries;
            for (const QString& part : line.split(u'/')) {
                const QString value = part.trimmed();
                if (value.endsWith(u"分钟"_s))
                    facts.Lines.append(u"片长: "_s + value);
                else
                    countries += value.split(QRegularExpression(u"[,，、]"_s));
            }
            facts.Countries = JoinedList(countries);
        }
    }
}

} // namespace

PageFacts ReadMaoyanPage(const HtmlDocument& doc, const QString& pageUrl) {
    PageFacts facts;
    const int brief = FindByClass(doc, u"div", u"movie-brief-container");
    if (brief < 0)
        return facts;
    facts.Title = ShownLine(doc, FindByClass(doc, u"h1", u"name", brief));
    facts.OriginalTitle = ShownLine(doc, FindByClass(doc, u"div", u"ename", brief));
    ReadBriefLines(doc, brief, facts);
    facts.Plot = ShownText(doc, FindByClass(doc, u"span", u"dra"));
    facts.Rating = ScoreText(u"猫眼"_s, StarScore(doc, FindByClass(doc, {}, u"banner")), u"10"_s);
    const int cover = FindByClass(doc, u"div", u"avatar-shadow");
    facts.Posters = PicturesIn(doc, cover, pageUrl, 1);
    facts.Stills = PicturesIn(doc, FindByClass(doc, u"div", u"album"), pageUrl, MaxStills);
    return facts;
}
