#include "pages/edit.h"

#include "library/file_name.h"
#include "library/movie_xml.h"
#include "library/split_string.h"
#include "pages/card_marks.h"
#include "pages/detail_page.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString EditMovieInfo(MovieLibrary& library, const QString& argument) {
    const QStringList parts = SplitString(argument, u'`');
    if (parts.size() < 10)
        return {};

    MovieRecord* record = nullptr;
    MovieRecord edited;
    // Held until the file is written, so a lookup's result cannot be stored between the record and
    // its file.
    std::unique_lock files(library.MetadataMutex);
    {
        std::lock_guard lock(library.RecordsMutex);
        const auto find = [&](const QString& path) {
            return std::find_if(library.Movies.begin(), library.Movies.end(),
                                [&](const MovieRecord& m) { return m.FilePath == path; });
        };
        // The form turns a grave accent typed into a field into an apostrophe, but a path may hold
        // them: the form's path is everything before the last nine fields. Otherwise the first part
        // is the path and parts after the tenth are ignored.
        qsizetype field = parts.size() - 9;
        auto found = find(parts.first(field).join(u'`'));
        if (found == library.Movies.end()) {
            field = 1;
            found = find(parts[0]);
        }
        if (found == library.Movies.end())
            return {};
        record = &*found;
        record->Title = parts[field];
        record->OriginalTitle = parts[field + 1];
        record->CountryOfOrigin = parts[field + 2];
        record->ProductionYear = parts[field + 3];
        record->Rating = parts[field + 4];
        record->Genres = parts[field + 5];
        record->watched = parts[field + 6];
        record->Overview = parts[field + 7];
        record->Notes = parts[field + 8];
        edited = *record;
    }
    // The file is written from a copy, without the records lock; the key is made from what the
    // record holds, so it always matches its values.
    WriteMovieXml(edited);
    {
        std::lock_guard lock(library.RecordsMutex);
        record->SearchKey = SearchKeyOf(*record);
    }
    files.unlock();
    return BuildDetailPage(library, edited, QString(), DetailView);
}

QString SetWatched(MovieLibrary& library, const QString& argument) {
    // "1`path" sets the mark, "0`path" clears it: a repeated click cannot turn it back.
    if (argument.size() < 2 || argument[1] != u'`' || (argument[0] != u'0' && argument[0] != u'1'))
        return {};
    const QString path = argument.mid(2);
    const QString value = argument[0] == u'1' ? QString::fromUtf16(WatchedMarkValue) : QString();
    MovieRecord edited;
    // As an edit stores it: record and file together, so a lookup running meanwhile keeps the mark.
    std::unique_lock files(library.MetadataMutex);
    {
        std::lock_guard lock(library.RecordsMutex);
        auto found = std::find_if(library.Movies.begin(), library.Movies.end(),
                                  [&](const MovieRecord& m) { return m.FilePath == path; });
        if (found == library.Movies.end())
            return {};
        found->watched = value;
        found->SearchKey = SearchKeyOf(*found);
        edited = *found;
    }
    WriteMovieXml(edited);
    files.unlock();
    return BuildDetailPage(library, edited, QString(), DetailView);
}

QString FormPath(const QString& filePath) {
    if (!HoldsFileNameBytes(filePath))
        return filePath;
    QString shown = filePath;
    for (QChar& c : shown)
        if (IsFileNameByte(c))
            c = QChar::ReplacementCharacter;
    return shown;
}

QString RestoreFormPath(const QString& argument, const QString& shownMovie) {
    const QString held = FormPath(shownMovie);
    if (held == shownMovie || !argument.startsWith(held + u'`'))
        return argument;
    return shownMovie + argument.mid(held.size());
}
