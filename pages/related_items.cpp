#include "pages/related_items.h"

#include "pages/wall_page.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The longest run of code units that `a` and `b` share, taken from `b`; the first one found wins ties.
QString LongestCommonRun(const QString& a, const QString& b) {
    std::vector<int> run(b.size(), 0);
    int best = 0;
    qsizetype end = 0;
    for (qsizetype k = 0; k < a.size(); ++k) {
        // From the last position down, so run[i - 1] still holds its value for the previous k.
        for (qsizetype i = b.size() - 1; i >= 0; --i) {
            if (a[k] != b[i]) {
                run[i] = 0;
                continue;
            }
            run[i] = (k == 0 || i == 0) ? 1 : run[i - 1] + 1;
            if (run[i] > best) {
                best = run[i];
                end = i;
            }
        }
    }
    return best == 0 ? QString() : b.mid(end - best + 1, best);
}

// What is left of a common run once the parts every release name carries are gone.
QString Significant(QString common) {
    common.removeIf([](QChar c) { return c == u' ' || c == u'.' || c == u'-' || (c >= u'0' && c <= u'9'); });
    for (const QString& filler : {u"双语"_s, u"字幕"_s, u"the"_s, u"加长版"_s})
        common.remove(filler, Qt::CaseSensitive);
    return common;
}

} // namespace

bool TitlesMatch(const QString& candidate, const QString& title) {
    if (title.isEmpty())
        return false; // nothing to measure against
    const qsizetype d = Significant(LongestCommonRun(candidate, title)).size();
    const qsizetype p = d * 100 / title.size();
    return (p > 20 && d >= 3) || d > 5 || p > 40;
}

QString BuildRelatedItems(MovieLibrary& library, const QString& title) {
    std::vector<MovieRecord> related;
    {
        std::lock_guard lock(library.RecordsMutex);
        for (const MovieRecord& movie : library.Movies)
            if (TitlesMatch(movie.DisplayTitle, title))
                related.push_back(movie);
    }
    if (related.size() == 1)
        return {};
    // Markup is made from copies: a first wall item may write a thumbnail, never under the lock.
    return MakeWallItems(related);
}
