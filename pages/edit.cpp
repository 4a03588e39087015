#include "pages/edit.h"

#include "library/movie_xml.h"
#include "library/split_string.h"
#include "pages/detail_page.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString EditMovieInfo(MovieLibrary& library, const QString& argument) {
    const QStringList parts = SplitString(argument, u'`');
    if (parts.size() < 10)
        return {};

    MovieRecord* record = nullptr;
    MovieRecord edited;
    {
        std::lock_guard lock(library.RecordsMutex);
        auto found = std::find_if(library.Movies.begin(), library.Movies.end(),
                                  [&](const MovieRecord& m) { return m.FilePath == parts[0]; });
        if (found == library.Movies.end())
            return {};
        record = &*found;
        record->Title = parts[1];
        record->OriginalTitle = parts[2];
        record->CountryOfOrigin = parts[3];
        record->ProductionYear = parts[4];
        record->Rating = parts[5];
        record->Genres = parts[6];
        record->watched = parts[7];
        record->Overview = parts[8];
        record->Notes = parts[9];
        edited = *record;
    }
    // The file is written from a copy, without the lock; the new search key goes back under it.
    WriteMovieXml(edited);
    {
        std::lock_guard lock(library.RecordsMutex);
        record->SearchKey = edited.SearchKey;
    }
    return BuildDetailPage(library, edited, QString(), DetailView);
}
