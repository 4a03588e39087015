#include "extract/page_pictures.h"
#include "extract/site_readers.h"
#include "web/html_text.h"

using namespace Qt::StringLiterals;

namespace {

int ByTestId(const HtmlDocument& doc, QStringView id, int root = -1) {
    const QList<int> found = FindElements(doc, {}, u"data-testid", id, root);
    return found.isEmpty() ? -1 : found.front();
}

QStringList LinkTexts(const HtmlDocument& doc, int root) {
    QStringList texts;
    if (root >= 0)
        for (int link : FindElements(doc, u"a", {}, {}, root))
            texts.append(ShownLine(doc, link));
    return texts;
}

} // namespace

PageFacts ReadImdbPage(const HtmlDocument& doc, const QString& pageUrl) {
    PageFacts facts;
    const int heading = ByTestId(doc, u"hero__pageTitle");
    if (heading < 0)
        return facts;
    facts.Title = ShownLine(doc, heading);
    // The original title stands under the heading when the page is shown in another language.
    const int parent = doc.Nodes[heading].Parent;
    if (parent >= 0) {
        for (const QString& line : RenderVisibleText(doc, parent).Text.split(u'\n')) {
            if (line.startsWith(u"Original title:"_s))
                facts.OriginalTitle = line.mid(15).trimmed();
        }
        for (int link : FindElements(doc, u"a", {}, {}, parent)) {
            if (AttributeOf(doc.Nodes[link], u"href").contains(u"releaseinfo"_s)) {
                facts.Year = YearIn(ShownLine(doc, link));
                break;
            }
        }
    }
    if (facts.OriginalTitle.isEmpty())
        facts.OriginalTitle = facts.Title; // shown in its own language: the title is the original
    const int score = ByTestId(doc, u"hero-rating-bar__aggregate-rating__score");
    if (score >= 0 && score + 1 < doc.Nodes[score].End) {
        const int value = FindElement(doc, u"span", {}, {}, score + 1, doc.Nodes[score].End);
        facts.Rating = ScoreText(u"IMDb"_s, ShownLine(doc, value), u"10"_s);
    }
    facts.Countries = JoinedList(LinkTexts(doc, ByTestId(doc, u"title-details-origin")));
    const QString languages = JoinedList(LinkTexts(doc, ByTestId(doc, u"title-details-languages")));
    if (!languages.isEmpty())
        facts.Lines.append(u"语言: "_s + languages);
    const QString aka = ShownLine(doc, ByTestId(doc, u"title-details-akas"));
    if (aka.startsWith(u"Also known as"_s))
        facts.Lines.append(u"又名: "_s + aka.mid(13).trimmed());
    int plot = ByTestId(doc, u"plot-xl");
    if (plot < 0)
        plot = ByTestId(doc, u"plot");
    facts.Plot = ShownLine(doc, plot);
    facts.Posters = PicturesIn(doc, ByTestId(doc, u"hero-media__poster"), pageUrl, 1);
    return facts;
}
