#include "library/movie_xml.h"
#include "pages/edit.h"
#include "pages/filter_page.h"
#include "tests/support/temp_folder.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

MovieRecord Movie(const TempFolder& folder, const QString& name) {
    MovieRecord movie;
    movie.FilePath = folder.file(name);
    movie.FileName = name;
    movie.Folder = folder.path();
    movie.DisplayTitle = name.section(u'.', 0, 0);
    movie.SearchKey = movie.FilePath.toLower();
    movie.Title = u"old title"_s;
    movie.Overview = u"old overview"_s;
    movie.Notes = u"old notes"_s;
    return movie;
}

QString Argument(const QStringList& parts) {
    return parts.join(u'`');
}

} // namespace

TEST(EditMovieInfo, StoresTheNineFieldsSavesThemAndShowsTheDetailView) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(folder, u"heat.mkv"_s), Movie(folder, u"other.mkv"_s)};
    const QString path = library.Movies[0].FilePath;

    const QString page =
        EditMovieInfo(library, Argument({path, u"Heat \"1995\" & <co>"_s, u"Heat"_s, u"美国"_s, u"1995"_s, u"8.7"_s,
                                         u"犯罪"_s, u"1"_s, u"line 'one'\nline two"_s, u"notes"_s}));
    EXPECT_EQ(page, folder.file(u"detail.html"_s));

    const MovieRecord& movie = library.Movies[0];
    EXPECT_EQ(movie.Title, u"Heat \"1995\" & <co>"_s);
    EXPECT_EQ(movie.OriginalTitle, u"Heat"_s);
    EXPECT_EQ(movie.CountryOfOrigin, u"美国"_s);
    EXPECT_EQ(movie.ProductionYear, u"1995"_s);
    EXPECT_EQ(movie.Rating, u"8.7"_s);
    EXPECT_EQ(movie.Genres, u"犯罪"_s);
    EXPECT_EQ(movie.watched, u"1"_s);
    EXPECT_EQ(movie.Overview, u"line 'one'\nline two"_s);
    EXPECT_EQ(movie.Notes, u"notes"_s);
    EXPECT_EQ(library.Movies[1].Title, u"old title"_s);

    // The metadata file holds the new values, and the search key follows them.
    MovieRecord reread;
    reread.FilePath = path;
    ReadMovieXml(reread);
    EXPECT_EQ(reread.Overview, movie.Overview);
    EXPECT_EQ(reread.Notes, movie.Notes);
    EXPECT_EQ(movie.SearchKey, SearchKeyOf(movie));
    EXPECT_TRUE(movie.SearchKey.contains(u"heat \"1995\" & <co>"_s));

    // The detail view shows the edit, without related titles.
    const QString html = QString::fromUtf8(folder.read(u"detail.html"_s));
    EXPECT_TRUE(html.contains(u"Heat &quot;1995&quot; &amp; &lt;co&gt;"_s));
    EXPECT_FALSE(html.contains(u"<div class=d>"_s));
}

TEST(EditMovieInfo, AnEmptyLastFieldNeedsTheClosingSeparator) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(folder, u"heat.mkv"_s)};
    const QString path = library.Movies[0].FilePath;
    const QStringList fields{path, u"t"_s, u"o"_s, u"c"_s, u"y"_s, u"r"_s, u"g"_s, u"w"_s, u"ov"_s, QString()};

    // Without it the empty notes are no part at all: nine parts, nothing changes.
    EXPECT_TRUE(EditMovieInfo(library, Argument(fields)).isEmpty());
    EXPECT_EQ(library.Movies[0].Title, u"old title"_s);
    EXPECT_FALSE(QFileInfo::exists(path + u".xml"_s));

    // The form always closes the argument with one more separator: ten parts.
    EXPECT_FALSE(EditMovieInfo(library, Argument(fields) + u'`').isEmpty());
    EXPECT_EQ(library.Movies[0].Title, u"t"_s);
    EXPECT_EQ(library.Movies[0].Notes, QString());
    EXPECT_TRUE(QFileInfo::exists(path + u".xml"_s));
}

TEST(EditMovieInfo, PartsBeyondTheTenthAreIgnored) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(folder, u"heat.mkv"_s)};
    const QString path = library.Movies[0].FilePath;
    ASSERT_FALSE(EditMovieInfo(library, Argument({path, u"t"_s, u"o"_s, u"c"_s, u"y"_s, u"r"_s, u"g"_s, u"w"_s, u"ov"_s,
                                                  u"n"_s, u"extra"_s, u"more"_s}))
                     .isEmpty());
    EXPECT_EQ(library.Movies[0].Notes, u"n"_s);
}

TEST(EditMovieInfo, AnUnknownPathChangesNothing) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(folder, u"heat.mkv"_s)};
    const QString other = folder.file(u"HEAT.mkv"_s);
    EXPECT_TRUE(
        EditMovieInfo(library,
                      Argument({other, u"t"_s, u"o"_s, u"c"_s, u"y"_s, u"r"_s, u"g"_s, u"w"_s, u"ov"_s, u"n"_s}) + u'`')
            .isEmpty());
    EXPECT_EQ(library.Movies[0].Title, u"old title"_s);
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"detail.html"_s)));
    EXPECT_TRUE(EditMovieInfo(library, QString()).isEmpty());
}

TEST(EditMovieInfo, APathWithGraveAccentsIsFoundBeforeTheNineFields) {
    TempFolder folder;
    MovieLibrary library;
    // One path is the other's up to a grave accent: each form must reach its own movie.
    library.Movies = {Movie(folder, u"a"_s), Movie(folder, u"a`b`.mkv"_s)};
    const QString plain = library.Movies[0].FilePath;
    const QString grave = library.Movies[1].FilePath;

    const QStringList fields{u"t"_s, u"o"_s, u"c"_s, u"y"_s, u"r"_s, u"g"_s, u"w"_s, u"ov"_s, QString()};
    ASSERT_FALSE(EditMovieInfo(library, Argument(QStringList{grave} + fields) + u'`').isEmpty());
    EXPECT_EQ(library.Movies[1].Title, u"t"_s);
    EXPECT_EQ(library.Movies[1].Overview, u"ov"_s);
    EXPECT_EQ(library.Movies[0].Title, u"old title"_s);

    // Fields that spell the rest of the longer path still belong to the shorter one.
    const QStringList spelled{u"b"_s, u".mkv"_s, u"c"_s, u"y"_s, u"r"_s, u"g"_s, u"w"_s, u"new"_s, u"n"_s};
    ASSERT_FALSE(EditMovieInfo(library, Argument(QStringList{plain} + spelled) + u'`').isEmpty());
    EXPECT_EQ(library.Movies[0].Title, u"b"_s);
    EXPECT_EQ(library.Movies[0].OriginalTitle, u".mkv"_s);
    EXPECT_EQ(library.Movies[0].Notes, u"n"_s);
    EXPECT_EQ(library.Movies[1].Overview, u"ov"_s);
}

TEST(SetWatched, SetsAndClearsTheMarkInTheRecordAndItsFileOnly) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(folder, u"heat.mkv"_s)};
    const QString path = library.Movies[0].FilePath;
    for (const QString& refused : QStringList{u"1"_s, u"2`"_s + path, u"1`"_s + path + u"x"_s, u"1 "_s + path})
        EXPECT_TRUE(SetWatched(library, refused).isEmpty()) << refused.toStdString();
    EXPECT_TRUE(library.Movies[0].watched.isEmpty());

    for (const auto& [argument, value] :
         {std::pair{u"1`"_s, u"是"_s}, std::pair{u"1`"_s, u"是"_s}, std::pair{u"0`"_s, QString()}}) {
        EXPECT_FALSE(SetWatched(library, argument + path).isEmpty());
        EXPECT_EQ(library.Movies[0].watched, value);
        MovieRecord stored;
        stored.FilePath = path;
        ReadMovieXml(stored);
        EXPECT_EQ(stored.watched, value);
        EXPECT_EQ(stored.Title, u"old title"_s) << "nothing else changes";
        EXPECT_EQ(stored.Overview, u"old overview"_s);
    }
}
