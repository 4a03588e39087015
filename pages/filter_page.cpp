#include "pages/filter_page.h"

#include "library/split_string.h"
#include "pages/escape.h"
#include "pages/page_file.h"
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
    QString notice;
    {
        std::lock_guard lock(library.RecordsMutex);
        total = qsizetype(library.Movies.size());
        notice = library.UpdateNotice;
        for (const MovieRecord& movie : library.Movies)
            if (MatchesSearchWords(movie, words))
                found.push_back(movie);
    }
    // Wall items are made from copies: a first item may write a thumbnail, never under the lock.
    const QString items = MakeWallItems(found);
    // The head shows the search text again (in the search box), so it goes in as page text.
    const QString head = WallPageHead(EscapeHtml(prepared));
    const QString count = u" 从 %1 部视频中找到符合条件的视频 %2 部 "_s.arg(total).arg(found.size()) + notice;
    return WritePage(u"menu_search.html"_s, head + count + items);
}
