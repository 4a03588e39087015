#include "pages/wall_controls.h"

#include "pages/escape.h"
#include "pages/wall_order.h"

using namespace Qt::StringLiterals;

namespace {

struct SortKey {
    QString Key;
    QString Label;
    bool FirstDescending; // the direction a first click gives: newest, best rated first
};

const SortKey SortKeys[] = {
    {u"title"_s, u"片名"_s, false},
    {u"year"_s, u"年代"_s, true},
    {u"rating"_s, u"评分"_s, true},
    {u"added"_s, u"添加时间"_s, true},
};

struct FacetKind {
    QString Key;
    QString Label;
    int Limit;
};

const FacetKind FacetKinds[] = {
    {u"genre"_s, u"类型"_s, 40},
    {u"country"_s, u"国家/地区"_s, 40},
    {u"decade"_s, u"年代"_s, 20},
};

QString Command(int command, const QString& arg) {
    return u"external.ExtCommand(%1,'%2');return false;"_s.arg(command).arg(EscapeScriptString(arg));
}

QString SortLinks(const WallChoice& choice) {
    QString html = u"<span class=sorts id=sorts><b>排序</b>"_s;
    const bool scanOrder = choice.Sort.isEmpty();
    html += u"<a href='#' data-sort=''"_s + (scanOrder ? u" class=on"_s : QString()) + u" onclick=\""_s +
            EscapeHtml(Command(SortCommand, QString())) + u"\">默认</a>"_s;
    for (const SortKey& key : SortKeys) {
        const bool on = choice.Sort == key.Key;
        // A second click on the order shown turns it round.
        const bool descending = on ? !choice.Descending : key.FirstDescending;
        const QString arg = key.Key + (descending ? u"-desc"_s : QString());
        const QString arrow = on ? (choice.Descending ? u" ↓"_s : u" ↑"_s) : QString();
        html += u"<a href='#' data-sort='"_s + key.Key + u'\'' + (on ? u" class=on"_s : QString()) + u" title='"_s +
                (on ? u"点击反向排序"_s : u"按"_s + key.Label + u"排序"_s) + u"' onclick=\""_s +
                EscapeHtml(Command(SortCommand, arg)) + u"\">"_s + key.Label + arrow + u"</a>"_s;
    }
    return html + u"</span>"_s;
}

QString FacetSelect(const FacetKind& kind, const WallChoice& choice, const std::vector<MovieRecord>& movies) {
    const std::vector<FacetCount> counts = CountFacet(movies, kind.Key, kind.Limit);
    QString html = u"<select id='facet-"_s + kind.Key + u"' aria-label='"_s + kind.Label +
                   u"' onchange=\"external.ExtCommand("_s + QString::number(FacetCommand) + u",'"_s + kind.Key +
                   u"`'+this.value)\"><option value=''>"_s + kind.Label + u"</option>"_s;
    for (const FacetCount& count : counts) {
        const bool on = choice.Facet == kind.Key && choice.FacetValue == count.Value;
        html += u"<option value='"_s + EscapeHtml(count.Value) + u'\'' + (on ? u" selected"_s : QString()) + u'>' +
                EscapeHtml(FacetValueLabel(kind.Key, count.Value)) + u" ("_s + QString::number(count.Count) +
                u")</option>"_s;
    }
    return html + u"</select>"_s;
}

} // namespace

QString FacetValueLabel(const QString& facet, const QString& value) {
    return facet == u"decade" ? value + u"年代"_s : value;
}

QString WallControls(const WallChoice& choice, const std::vector<MovieRecord>& movies) {
    QString html = u"<div class=tools id=tools"_s;
    if (!choice.Facet.isEmpty())
        html += u" data-facet='"_s + choice.Facet + u'\'';
    html += u'>' + SortLinks(choice) + u"<span class=facets id=facets><b>筛选</b>"_s;
    for (const FacetKind& kind : FacetKinds)
        html += FacetSelect(kind, choice, movies);
    for (const FacetKind& kind : FacetKinds)
        if (choice.Facet == kind.Key)
            html += u"<a href='#' class=chip id=facet-clear title='不再筛选 (Esc)' onclick=\""_s +
                    EscapeHtml(Command(FacetCommand, QString())) + u"\">"_s + kind.Label + u'：' +
                    EscapeHtml(FacetValueLabel(kind.Key, choice.FacetValue)) + u" ✕</a>"_s;
    return html + u"</span></div>\n"_s;
}

std::vector<MovieRecord> ChosenMovies(std::vector<MovieRecord> movies, const WallChoice& choice) {
    std::vector<MovieRecord> chosen = WithFacetValue(std::move(movies), choice);
    SortMovies(chosen, choice);
    return chosen;
}
