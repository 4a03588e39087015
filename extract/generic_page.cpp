#include "extract/labels.h"
#include "extract/page_pictures.h"
#include "extract/site_readers.h"
#include "web/html_text.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxLabelLength = 12;

QString MetaContent(const HtmlDocument& doc, QStringView property) {
    for (int meta : FindElements(doc, u"meta")) {
        const HtmlNode& node = doc.Nodes[meta];
        if (AttributeOf(node, u"property") == property || AttributeOf(node, u"name") == property)
            return AttributeOf(node, u"content").trimmed();
    }
    return {};
}

QString KeyOf(const QString& label) {
    QString key = label;
    key.remove(u' ');
    key.remove(u'\u3000');
    key.remove(u'◎');
    key.remove(u'【');
    return key.left(LabelKeyChars);
}

bool IsYearLabel(const QString& label) {
    static const QStringList labels = {u"上映时间"_s,     u"上映日期"_s,      u"首映"_s,    u"首播"_s,
                                       u"Release date"_s, u"Release dates"_s, u"Released"_s};
    return labels.contains(label);
}

bool IsCountryLabel(const QString& label) {
    static const QStringList labels = {u"制片地区"_s, u"制片国家/地区"_s, u"国家/地区"_s,
                                       u"Country"_s,  u"Countries"_s,     u"Country of origin"_s};
    return labels.contains(label);
}

void TakePair(PageFacts& facts, QString label, const QString& value) {
    label = label.trimmed();
    while (label.endsWith(u':') || label.endsWith(u'：'))
        label.chop(1);
    if (label.isEmpty() || label.size() > MaxLabelLength || value.isEmpty())
        return;
    if (IsCountryLabel(label)) {
        facts.Countries = value;
        return;
    }
    if (IsYearLabel(label)) {
        facts.Year = EarlierYear(facts.Year, YearIn(value));
        facts.Lines.append(label + u": "_s + value);
        return;
    }
    QString MovieRecord::*field = FieldForLabelKey(KeyOf(label));
    QString* target = field == &MovieRecord::Title             ? &facts.Title
                      : field == &MovieRecord::OriginalTitle   ? &facts.OriginalTitle
                      : field == &MovieRecord::CountryOfOrigin ? &facts.Countries
                      : field == &MovieRecord::ProductionYear  ? &facts.Year
                      : field == &MovieRecord::Genres          ? &facts.Genres
                                                               : nullptr;
    if (target && target->isEmpty())
        *target = field == &MovieRecord::ProductionYear ? YearIn(value) : value;
    else if (!target)
        facts.Lines.append(label + u": "_s + value);
}

QList<int> ChildElements(const HtmlDocument& doc, int parent) {
    QList<int> children;
    for (int i = parent + 1; i < doc.Nodes[parent].End; i = doc.Nodes[i].End)
        if (!doc.Nodes[i].Tag.isEmpty())
            children.append(i);
    return children;
}

} // namespace

PageFacts ReadMetaTags(const HtmlDocument& doc, const QString& pageUrl) {
    PageFacts facts;
    facts.Title = MetaContent(doc, u"og:title");
    facts.Plot = MetaContent(doc, u"og:description");
    const QString image = ResolvedAddress(pageUrl, MetaContent(doc, u"og:image"));
    if (!image.isEmpty())
        facts.Posters.append(image);
    return facts;
}

bool MetaTagsNameAVideo(const HtmlDocument& doc) {
    return MetaContent(doc, u"og:type").startsWith(u"video."_s);
}

PageFacts ReadLabelPairs(const HtmlDocument& doc) {
    PageFacts facts;
    for (int term : FindElements(doc, u"dt")) {
        int next = doc.Nodes[term].End;
        while (next < doc.Nodes.size() && doc.Nodes[next].Tag.isEmpty() && doc.Nodes[next].Text.trimmed().isEmpty())
            ++next;
        if (next < doc.Nodes.size() && doc.Nodes[next].Tag == u"dd")
            TakePair(facts, ShownLine(doc, term), ShownLine(doc, next));
    }
    for (int row : FindElements(doc, u"tr")) {
        const QList<int> cells = ChildElements(doc, row);
        if (cells.size() != 2)
            continue;
        const QString& first = doc.Nodes[cells[0]].Tag;
        if ((first == u"th" || first == u"td") && (doc.Nodes[cells[1]].Tag == u"td"))
            TakePair(facts, ShownLine(doc, cells[0]), ShownLine(doc, cells[1]));
    }
    return facts;
}
