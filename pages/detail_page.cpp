#include "pages/detail_page.h"

#include "extract/labels.h"
#include "library/file_access.h"
#include "library/file_name.h"
#include "library/folder_scan.h"
#include "library/movie_xml.h"
#include "library/name_order.h"
#include "pages/builtin_texts.h"
#include "pages/card_marks.h"
#include "pages/edit.h"
#include "pages/escape.h"
#include "pages/film_page.h"
#include "pages/page_file.h"
#include "pages/related_items.h"
#include "pages/text_codec.h"

#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString DetailPageName = u"detail.html"_s;

QString PictureList(const MovieRecord& movie) {
    QString markup;
    for (const QString& path : DetailPictures(movie))
        // A file URL keeps "&" and "'" as they are: in an attribute they must become references.
        markup += u"<img src=\""_s + EscapeHtml(FileUrl(path)) + u"\"><br>"_s;
    return markup;
}

// A short field as the page shows it: a value read from an information page still carries its label
// until the next start reads the metadata file back; both show the same.
QString Shown(const QString& value) {
    return EscapeHtml(CleanFieldValue(value));
}

QString DetailViewPage(const MovieRecord& movie, const QString& relatedItems, const LookupChoices& choices) {
    // The path lands inside script strings of event attributes; every other value is page text.
    const QString path = EscapeScriptInAttribute(movie.FilePath);
    // The built-in texts never change: decoded once.
    static const QString format =
        DecodeText(DetailHeaderTemplate) + u"%s<div style='clear:both'></div>"_s + DecodeText(DetailBodyTemplate);
    return FillTemplate(
        format, {path, EscapeHtml(ReadableFileName(movie.Folder)), path, EscapeHtml(ReadableFileName(movie.FileName)),
                 relatedItems, FilmPictures(DetailPictures(movie)), EscapeHtml(CardTitle(movie)), FilmSubtitle(movie),
                 Shown(movie.CountryOfOrigin), Shown(movie.ProductionYear), Shown(movie.Rating), Shown(movie.Genres),
                 path, FilmOverview(movie, path, choices), EscapeHtml(movie.Notes), WatchedToggle(movie, path)});
}

// The browser's parser reads a raw carriage return as a line feed; as a reference it stays itself.
QString FormValue(const QString& text) {
    return EscapeHtml(text).replace(u'\r', u"&#13;"_s);
}

QString EditFormPage(const MovieRecord& movie) {
    // Form values are escaped so that the form hands back exactly what is shown; the short fields
    // without the labels the page gave them, as the next start reads them.
    const QString path = EscapeScriptInAttribute(movie.FilePath);
    static const QString format = DecodeText(DetailHeaderTemplate) + DecodeText(EditFormTemplate);
    return FillTemplate(
        format, {path, EscapeHtml(ReadableFileName(movie.Folder)), path, EscapeHtml(ReadableFileName(movie.FileName)),
                 FormValue(FormPath(movie.FilePath)), FormValue(CleanFieldValue(movie.Title)),
                 FormValue(CleanFieldValue(movie.OriginalTitle)), path,
                 FormValue(CleanFieldValue(movie.CountryOfOrigin)), FormValue(CleanFieldValue(movie.ProductionYear)),
                 FormValue(CleanFieldValue(movie.Rating)), FormValue(CleanFieldValue(movie.Genres)),
                 FormValue(movie.watched), FormValue(movie.Overview), FormValue(movie.Notes), PictureList(movie)});
}

bool IsThumbnail(const QString& path) {
    return path.contains(u".thumb."_s);
}

// The order the scan lists a folder in.
QStringList SortedByName(QStringList paths) {
    std::sort(paths.begin(), paths.end(), NameLess);
    return paths;
}

// Whether the picture is a poster of one of `videos` ("<video>.jpg", "<video>.N.jpg"); lower case.
bool NamedAfter(const QString& picture, const QSet<QString>& videos) {
    QString stem = picture.toLower();
    stem.chop(4);
    if (videos.contains(stem))
        return true;
    const qsizetype dot = stem.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    bool digits = dot + 1 < stem.size();
    for (qsizetype i = dot + 1; i < stem.size() && digits; ++i)
        digits = stem[i].isDigit();
    return digits && videos.contains(stem.left(dot));
}

// The movie's own poster first: it was stored from the page's first picture; the stills follow.
QStringList PosterFirst(QStringList pictures, const MovieRecord& movie) {
    pictures = SortedByName(pictures);
    const qsizetype poster = pictures.indexOf(movie.FilePath + u".jpg"_s);
    if (poster > 0)
        pictures.move(poster, 0);
    return pictures;
}

} // namespace

QStringList DetailPictures(const MovieRecord& movie) {
    QStringList pictures;
    // Listed on the folder's own bytes; any letter case, as a name filter would match (without
    // building a pattern per call); hidden files too: the scan counted them.
    if (movie.FolderVideoCount <= 2 && movie.FolderImageCount > 0) {
        const QString folder = movie.Folder.endsWith(u'/') ? movie.Folder : movie.Folder + u'/';
        const QStringList names = FileNamesIn(movie.Folder);
        // Another video's posters belong on its own page, not on this one.
        QSet<QString> others;
        for (const QString& name : names)
            if (IsVideoFile(name) && folder + name != movie.FilePath)
                others.insert(name.toLower());
        for (const QString& name : names)
            if (name.endsWith(u".jpg"_s, Qt::CaseInsensitive) && !IsThumbnail(folder + name) &&
                !NamedAfter(name, others))
                pictures << folder + name;
        return PosterFirst(pictures, movie);
    }
    // The movie's own posters: beside it, or in the local store that keeps its files.
    const QString base = SideFileBase(movie);
    const qsizetype slash = base.lastIndexOf(u'/');
    const QString folder = base.left(slash + 1);
    const QString prefix = base.mid(slash + 1);
    for (const QString& name : FileNamesIn(slash < 0 ? u"."_s : folder))
        if (name.startsWith(prefix) && name.endsWith(u"jpg"_s, Qt::CaseInsensitive) && !IsThumbnail(folder + name))
            pictures << folder + name;
    return PosterFirst(pictures, movie);
}

QString BuildDetailPage(MovieLibrary& library, const MovieRecord& movie, const QString& relatedItems, int mode) {
    LookupChoices choices;
    if (mode == DetailView) {
        std::lock_guard lock(library.RecordsMutex);
        choices = library.UserLookups.value(movie.FilePath);
    } else {
        NoteEditFormShown(library, movie);
    }
    const QString html = mode == DetailView ? DetailViewPage(movie, relatedItems, choices) : EditFormPage(movie);
    std::lock_guard lock(library.DetailPageMutex);
    return WritePage(DetailPageName, html);
}

QString ShowDetail(MovieLibrary& library, const QString& key, int mode) {
    MovieRecord movie;
    {
        std::lock_guard lock(library.RecordsMutex);
        auto found = std::find_if(library.Movies.begin(), library.Movies.end(),
                                  [&](const MovieRecord& m) { return m.FilePath == key; });
        if (found == library.Movies.end())
            return {};
        movie = *found;
    }
    const QString related = mode == DetailView ? BuildRelatedItems(library, movie.DisplayTitle) : QString();
    return BuildDetailPage(library, movie, related, mode);
}
