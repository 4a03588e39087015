#include "pages/wall_order.h"

#include "extract/labels.h"
#include "library/name_order.h"
#include "pages/card_marks.h"

#include <QHash>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

void AddItem(QStringList& items, const QString& item) {
    const QString trimmed = item.trimmed();
    if (trimmed.isEmpty())
        return;
    // "剧情 爱情" lists with blanks too, but "United States" is one country: only CJK words split there.
    if (std::any_of(trimmed.cbegin(), trimmed.cend(), [](QChar c) { return c.unicode() < 0x80 && c.isLetter(); })) {
        items << trimmed;
        return;
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i <= trimmed.size(); ++i)
        if (i == trimmed.size() || trimmed[i].isSpace()) {
            if (i > start)
                items << trimmed.mid(start, i - start);
            start = i + 1;
        }
}

QStringList ListItems(const QString& value) {
    static constexpr char16_t separators[] = u"/／|｜,，、;；";
    const QString text = CleanFieldValue(value);
    QStringList items;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i)
        if (i == text.size() || std::u16string_view(separators).find(text[i].unicode()) != std::u16string_view::npos) {
            AddItem(items, text.mid(start, i - start));
            start = i + 1;
        }
    items.removeDuplicates();
    return items;
}

// A sort key and whether the movie has one: those without come last in both directions.
struct Keyed {
    const MovieRecord* movie;
    bool has;
    double number;
    QString text;
};

} // namespace

int MovieYear(const MovieRecord& movie) {
    const QString text = CleanFieldValue(movie.ProductionYear);
    for (qsizetype i = 0; i + 4 <= text.size(); ++i) {
        if (i > 0 && text[i - 1].isDigit())
            continue;
        bool digits = true;
        for (qsizetype k = 0; k < 4 && digits; ++k)
            digits = text[i + k] >= u'0' && text[i + k] <= u'9';
        if (!digits || (i + 4 < text.size() && text[i + 4].isDigit()))
            continue;
        const int year = text.mid(i, 4).toInt();
        if (year >= 1880 && year <= 2099)
            return year;
    }
    return 0;
}

QStringList FacetValues(const MovieRecord& movie, const QString& facet) {
    if (facet == u"genre")
        return ListItems(movie.Genres);
    if (facet == u"country")
        return ListItems(movie.CountryOfOrigin);
    if (facet == u"decade") {
        const int year = MovieYear(movie);
        return year ? QStringList{QString::number(year / 10 * 10)} : QStringList{};
    }
    return {};
}

std::vector<MovieRecord> WithFacetValue(std::vector<MovieRecord> movies, const WallChoice& choice) {
    if (choice.Facet.isEmpty())
        return movies;
    std::erase_if(movies,
                  [&](const MovieRecord& m) { return !FacetValues(m, choice.Facet).contains(choice.FacetValue); });
    return movies;
}

void SortMovies(std::vector<MovieRecord>& movies, const WallChoice& choice) {
    if (choice.Sort.isEmpty() && !choice.Descending)
        return;
    std::vector<Keyed> keyed;
    keyed.reserve(movies.size());
    for (const MovieRecord& m : movies) {
        Keyed k{&m, true, 0, {}};
        if (choice.Sort == u"title") {
            k.text = CardTitle(m);
        } else if (choice.Sort == u"year") {
            k.number = MovieYear(m);
            k.has = k.number > 0;
        } else if (choice.Sort == u"rating") {
            k.number = ReadRating(m.Rating).Normalised;
            k.has = k.number >= 0;
        } else if (choice.Sort == u"added") {
            k.number = double(m.ModifiedTime);
        }
        keyed.push_back(std::move(k));
    }
    const bool byText = choice.Sort == u"title";
    const bool down = choice.Descending;
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.has != b.has)
            return a.has;
        if (!a.has)
            return false;
        if (byText)
            return down ? NameLess(b.text, a.text) : NameLess(a.text, b.text);
        return down ? b.number < a.number : a.number < b.number;
    });
    std::vector<MovieRecord> sorted;
    sorted.reserve(movies.size());
    for (const Keyed& k : keyed)
        sorted.push_back(*k.movie);
    movies = std::move(sorted);
}

std::vector<FacetCount> CountFacet(const std::vector<MovieRecord>& movies, const QString& facet, int limit) {
    QHash<QString, int> counts;
    for (const MovieRecord& m : movies)
        for (const QString& value : FacetValues(m, facet))
            ++counts[value];
    std::vector<FacetCount> list;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        list.push_back({it.key(), it.value()});
    const bool decades = facet == u"decade";
    std::sort(list.begin(), list.end(), [&](const FacetCount& a, const FacetCount& b) {
        if (decades)
            return b.Value < a.Value;
        if (a.Count != b.Count)
            return a.Count > b.Count;
        return NameLess(a.Value, b.Value);
    });
    if (int(list.size()) > limit)
        list.resize(size_t(limit));
    return list;
}
