#include "pages/filter_page.h"

#include "library/split_string.h"
#include "pages/escape.h"
#include "pages/page_file.h"
#include "pages/wall_controls.h"
#include "pages/wall_page.h"

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

QString PrepareSearchText(const QString& text) {
    return text.toLower().trimmed();
}

bool MatchesSearchWords(const MovieRecord& movie, const QStringList& words) {
    // An empty word (from a run of blanks) is found everywhere.
    return std::all_of(words.begin(), words.end(),
                       [&](const QString& word) { return movie.SearchKey.contains(word, Qt::CaseSensitive); });
}

QString BuildFilterPage(MovieLibrary& library, const QString& text) {
    const QString prepared = PrepareSearchText(text);
    const QStringList words = SplitString(prepared, u' ');

    std::vector<MovieRecord> found;
    qsizetype total = 0;
    QString notice, summary;
    WallChoice choice;
    {
        std::lock_guard lock(library.RecordsMutex);
        total = qsizetype(library.Movies.size());
        notice = library.UpdateNotice;
        summary = library.LookupSummary;
        choice = library.Choice;
        for (const MovieRecord& movie : library.Movies)
            if (MatchesSearchWords(movie, words))
                found.push_back(movie);
    }
    // The facet chooses among the search's matches, and its counts are theirs.
    const QString controls = WallControls(choice, found);
    const std::vector<MovieRecord> shown = ChosenMovies(std::move(found), choice);
    // Wall items are made from copies: a first item may write a thumbnail, never under the lock.
    const QString items = MakeWallPageItems(shown);
    // The head shows the search text again (in the search box), so it goes in as page text.
    const QString head = WallPageHead(EscapeHtml(prepared));
    const QString count = u" 从 %1 部视频中找到符合条件的视频 %2 部 "_s.arg(total).arg(shown.size()) +
                          WallCountExtras(WallChoice(), 0, summary) + notice;
    return WritePage(u"menu_search.html"_s, head + count + controls + items);
}
