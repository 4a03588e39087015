// The edit form's answer (script command 5) as page script may send it, against a small library.
#include "library/split_string.h"
#include "pages/edit.h"
#include "tests/fuzz/fuzz_support.h"

#include <QDir>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// Relative paths, so that seeds can name them: the current folder is the fuzz folder.
MovieRecord Movie(const QString& path, int videosInFolder) {
    MovieRecord movie;
    movie.FilePath = path;
    movie.FileName = path.section(u'/', -1);
    movie.Folder = path.contains(u'/') ? path.section(u'/', 0, -2) : u"."_s;
    movie.FolderVideoCount = videosInFolder;
    movie.FolderImageCount = 1;
    movie.Title = u"old"_s;
    return movie;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        QDir(FuzzFolder()).mkpath(u"片 名"_s);
        WriteFuzzFile(u"片 名/cover.jpg"_s, "not a picture");
        return true;
    }();
    (void)ready;

    // A fresh library each run, so that one input's edit never changes what the next one meets.
    MovieLibrary library;
    library.Movies = {Movie(u"heat.mkv"_s, 3), Movie(u"片 名/a&b's \"c\".mkv"_s, 1), Movie(u"heat.mkv"_s, 3)};
    const QString argument = FuzzText(data, size);
    const QString page = EditMovieInfo(library, argument);

    const QStringList parts = SplitString(argument, u'`');
    const bool known =
        parts.size() >= 10 && (parts[0] == library.Movies[0].FilePath || parts[0] == library.Movies[1].FilePath);
    if (page.isEmpty() == known)
        std::abort(); // a known movie's page is always written; anything else changes nothing
    if (known) {
        const MovieRecord& movie = parts[0] == library.Movies[0].FilePath ? library.Movies[0] : library.Movies[1];
        if (movie.Title != parts[1] || movie.watched != parts[7] || movie.Notes != parts[9])
            std::abort();
        if (library.Movies[2].Title != u"old"_s)
            std::abort(); // only the first movie of that path is edited
    }
    return 0;
}
