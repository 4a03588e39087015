#include "pages/edit.h"

#include "library/file_name.h"
#include "library/metadata_store.h"
#include "library/split_string.h"
#include "pages/card_marks.h"
#include "pages/detail_page.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Said in the status bar when an edit could not go where it belongs: never a silent loss.
QString EditStatusText(const MetadataSave& save, const QString& title) {
    if (save.Place == MetadataPlace::LocalStore)
        return u"文件夹不能写入，信息已保存在本机:"_s + save.Path;
    if (save.Place == MetadataPlace::Nowhere)
        return u"信息未能保存:"_s + title;
    return {};
}

// Saves the user's `edited` version of `record` (`base`: what the user saw), merged with the file as it is
// now, puts what the file then holds into the record, tells where it went when not beside the video,
// and builds the detail view. `files` holds MetadataMutex and is released here. Records never move.
QString StoreEdit(MovieLibrary& library, MovieRecord& record, const MovieRecord& base, const MovieRecord& edited,
                  std::unique_lock<std::mutex>& files) {
    const MetadataSave save = SaveMetadata(library, base, edited, MergeWinner::Ours);
    MovieRecord stored;
    {
        std::lock_guard lock(library.RecordsMutex);
        CopyMetadata(record, save.Merged);
        record.SearchKey = save.Merged.SearchKey;
        record.StoreFolder = save.Merged.StoreFolder;
        stored = record;
    }
    files.unlock();
    const QString status = EditStatusText(save, stored.DisplayTitle);
    if (!status.isEmpty())
        ShowStatus(library, status);
    return BuildDetailPage(library, stored, QString(), DetailView);
}

} // namespace

QString EditMovieInfo(MovieLibrary& library, const QString& argument) {
    const QStringList parts = SplitString(argument, u'`');
    if (parts.size() < 10)
        return {};

    MovieRecord* record = nullptr;
    MovieRecord current;
    qsizetype field = 1;
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
        field = parts.size() - 9;
        auto found = find(parts.first(field).join(u'`'));
        if (found == library.Movies.end()) {
            field = 1;
            found = find(parts[0]);
        }
        if (found == library.Movies.end())
            return {};
        record = &*found;
        current = *record;
    }
    MovieRecord edited = current;
    edited.Title = parts[field];
    edited.OriginalTitle = parts[field + 1];
    edited.CountryOfOrigin = parts[field + 2];
    edited.ProductionYear = parts[field + 3];
    edited.Rating = parts[field + 4];
    edited.Genres = parts[field + 5];
    edited.watched = parts[field + 6];
    edited.Overview = parts[field + 7];
    edited.Notes = parts[field + 8];
    // The user changed what the form showed; what a lookup, this computer or another one stored
    // meanwhile stays, unless the user changed that field too.
    const MovieRecord base = library.EditFormBases.take(current.FilePath);
    return StoreEdit(library, *record, base.FilePath.isEmpty() ? current : base, edited, files);
}

QString SetWatched(MovieLibrary& library, const QString& argument) {
    // "1`path" sets the mark, "0`path" clears it: a repeated click cannot turn it back.
    if (argument.size() < 2 || argument[1] != u'`' || (argument[0] != u'0' && argument[0] != u'1'))
        return {};
    const QString path = argument.mid(2);
    const QString value = argument[0] == u'1' ? QString::fromUtf16(WatchedMarkValue) : QString();
    // As an edit stores it: merged with the file as it is now, record and file together, so a lookup
    // running meanwhile and another computer's save keep what they changed.
    std::unique_lock files(library.MetadataMutex);
    MovieRecord* record = nullptr;
    MovieRecord current;
    {
        std::lock_guard lock(library.RecordsMutex);
        auto found = std::find_if(library.Movies.begin(), library.Movies.end(),
                                  [&](const MovieRecord& m) { return m.FilePath == path; });
        if (found == library.Movies.end())
            return {};
        record = &*found;
        current = *found;
    }
    MovieRecord edited = current;
    edited.watched = value;
    return StoreEdit(library, *record, current, edited, files);
}

void NoteEditFormShown(MovieLibrary& library, const MovieRecord& movie) {
    std::lock_guard files(library.MetadataMutex);
    library.EditFormBases.insert(movie.FilePath, movie);
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
