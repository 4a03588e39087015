// Metadata files as a store that others write too: the three-way merge of every write, the change
// test by size, time and content, and the local store for folders that cannot be written.
#include "library/folder_scan.h"
#include "library/local_store.h"
#include "library/metadata_store.h"
#include "library/movie_xml.h"
#include "library/thumbnail.h"
#include "pages/edit.h"
#include "tests/support/poster_images.h"
#include "tests/support/read_only_folder.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

MovieRecord MovieAt(const QString& path) {
    MovieRecord movie;
    movie.FilePath = path;
    movie.FileName = path.mid(path.lastIndexOf(u'/') + 1);
    return movie;
}

MovieRecord ReadBack(const QString& path) {
    MovieRecord movie = MovieAt(path);
    ReadMovieXml(movie);
    return movie;
}

// Saves as the pipeline and the edit command do, holding the metadata lock.
MetadataSave Save(MovieLibrary& library, const MovieRecord& base, const MovieRecord& ours, MergeWinner winner) {
    std::lock_guard files(library.MetadataMutex);
    return SaveMetadata(library, base, ours, winner);
}

} // namespace

TEST(MetadataMerge, EachFieldTakesTheSideThatChangedIt) {
    struct Case {
        const char16_t* Base;
        const char16_t* Theirs;
        const char16_t* Ours;
        MergeWinner Winner;
        const char16_t* Expected;
    };
    const Case cases[] = {
        {u"b", u"b", u"b", MergeWinner::Theirs, u"b"},
        {u"b", u"their", u"b", MergeWinner::Ours, u"their"},      // only the file changed: an edit keeps it
        {u"b", u"b", u"ours", MergeWinner::Theirs, u"ours"},      // only this write changed it: even a lookup's
        {u"b", u"their", u"ours", MergeWinner::Ours, u"ours"},    // both: this edit is the later one
        {u"b", u"their", u"ours", MergeWinner::Theirs, u"their"}, // both: a lookup yields to the user
        {u"", u"their", u"", MergeWinner::Ours, u"their"},        // no file at the start, one written since
    };
    for (const Case& c : cases)
        for (MetadataField field : {&MovieRecord::Notes, &MovieRecord::Title}) {
            MovieRecord base, theirs, ours;
            base.*field = QString::fromUtf16(c.Base);
            theirs.*field = QString::fromUtf16(c.Theirs);
            ours.*field = QString::fromUtf16(c.Ours);
            EXPECT_EQ(MergeMetadata(base, theirs, ours, c.Winner).*field, QString::fromUtf16(c.Expected))
                << QString::fromUtf16(c.Base).toStdString() << "/" << QString::fromUtf16(c.Theirs).toStdString() << "/"
                << QString::fromUtf16(c.Ours).toStdString();
        }
    // A short field as the file gives it back (its label cleaned away) is the same version, not an
    // edit that would undo another computer's change.
    MovieRecord base, theirs, ours;
    base.Title = u"Heat"_s;
    ours.Title = u"◎片　　名　Heat"_s;
    theirs.Title = u"Ronin"_s;
    EXPECT_EQ(MergeMetadata(base, theirs, ours, MergeWinner::Ours).Title, u"Ronin"_s);
}

TEST(SaveMetadata, MergesWithTheFileAsItIsNowHoweverItChanged) {
    TempFolder temp;
    temp.sparse(u"a.mkv"_s, 100);
    const QString path = temp.file(u"a.mkv"_s);
    MovieLibrary library;
    MovieRecord first = MovieAt(path);
    first.Notes = u"notes 1"_s;
    ASSERT_EQ(Save(library, MovieAt(path), first, MergeWinner::Ours).Place, MetadataPlace::Beside);

    // Another computer rewrites the file with a Notes of the same length and puts the old time back:
    // only the content tells.
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path + u".xml"_s).constData(), &before), 0);
    MovieRecord other = first;
    other.Notes = u"notes 2"_s;
    temp.write(u"a.mkv.xml"_s, MovieXmlBytes(other));
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path + u".xml"_s).constData(), times, 0), 0);

    // A lookup that started from the first version finds a title: both computers' changes stay.
    MovieRecord lookup = first;
    lookup.Title = u"Heat"_s;
    lookup.Notes = u"from the page"_s;
    MetadataSave save = Save(library, first, lookup, MergeWinner::Theirs);
    EXPECT_EQ(save.Merged.Title, u"Heat"_s);
    EXPECT_EQ(save.Merged.Notes, u"notes 2"_s); // the user's Notes win over the lookup's
    EXPECT_TRUE(SameMetadata(ReadBack(path), save.Merged));

    // Two edits of one field: the later wins; the field only the earlier one changed stays.
    MovieRecord edit = save.Merged;
    edit.Notes = u"mine"_s;
    other = save.Merged;
    other.Notes = u"theirs"_s;
    other.Rating = u"9"_s;
    temp.write(u"a.mkv.xml"_s, MovieXmlBytes(other));
    save = Save(library, save.Merged, edit, MergeWinner::Ours);
    EXPECT_EQ(save.Merged.Notes, u"mine"_s);
    EXPECT_EQ(save.Merged.Rating, u"9"_s);
    EXPECT_EQ(ReadBack(path).Notes, u"mine"_s);
}

TEST(LocalStore, KeepsWhatAReadOnlyFolderCannotTakeUntilItCan) {
    TempFolder temp;
    temp.sparse(u"library/a.mkv"_s, MinimumVideoBytes + 1);
    temp.sparse(u"library/b.mkv"_s, MinimumVideoBytes + 1);
    temp.write(u"library/cover.jpg"_s, NoisyJpeg(300, 400));
    ReadOnlyFolder readOnly(temp.file(u"library"_s), temp.file(u"ro"_s));
    if (!readOnly.Ready())
        GTEST_SKIP() << readOnly.Reason().toStdString();

    // First start: an edit of a movie in the read-only folder goes to the store, and says so.
    QStringList status;
    auto library = std::make_unique<MovieLibrary>();
    library->Host.ShowStatus = [&](const QString& text) { status << text; };
    ScanFolder(*library, readOnly.Path());
    ASSERT_EQ(library->Movies.size(), 2u);
    const MovieRecord a = library->Movies[0];
    const QString argument =
        QStringList{a.FilePath, u"Heat"_s, {}, {}, {}, {}, {}, u"1"_s, u"plot"_s, u"mine"_s}.join(u'`');
    EditMovieInfo(*library, argument);
    ASSERT_EQ(status.size(), 1);
    EXPECT_TRUE(status[0].contains(LocalStoreRoot())) << status[0].toStdString();
    EXPECT_FALSE(QFile::exists(a.FilePath + u".xml"_s));
    // The folder's picture gets its thumbnail in the store too.
    const QString thumbnail = MakeThumbnail(readOnly.Path() + u"/cover.jpg"_s);
    EXPECT_TRUE(thumbnail.startsWith(LocalStoreRoot())) << thumbnail.toStdString();
    EXPECT_TRUE(QFile::exists(thumbnail));

    // Second start: the scan finds the edit in the store.
    library = std::make_unique<MovieLibrary>();
    ScanFolder(*library, readOnly.Path());
    EXPECT_EQ(library->Movies[0].Notes, u"mine"_s);
    EXPECT_EQ(library->Movies[0].Title, u"Heat"_s);
    EXPECT_FALSE(library->Movies[0].StoreFolder.isEmpty());
    EXPECT_TRUE(library->Movies[1].StoreFolder.isEmpty());
    EXPECT_EQ(MakeThumbnail(readOnly.Path() + u"/cover.jpg"_s), thumbnail); // not made again
    QFile poster(library->Movies[0].StoreFolder + u"/a.mkv.jpg"_s);
    ASSERT_TRUE(poster.open(QIODevice::WriteOnly));
    poster.write(NoisyJpeg(300, 400));
    poster.close();

    // The folder can be written again, and another computer has written the movie's file meanwhile:
    // its Notes win, the store's other fields join them, the poster moves beside the video, and the
    // store lets the entry go.
    readOnly.MakeWritable();
    MovieRecord other = MovieAt(a.FilePath);
    other.Notes = u"theirs"_s;
    other.Rating = u"8"_s;
    temp.write(a.FilePath.mid(temp.path().size() + 1) + u".xml"_s, MovieXmlBytes(other));
    library = std::make_unique<MovieLibrary>();
    ScanFolder(*library, readOnly.Path());
    const MovieRecord merged = ReadBack(a.FilePath);
    EXPECT_EQ(merged.Notes, u"theirs"_s);
    EXPECT_EQ(merged.Rating, u"8"_s);
    EXPECT_EQ(merged.Title, u"Heat"_s);
    EXPECT_EQ(merged.Overview, u"plot"_s);
    EXPECT_TRUE(library->Movies[0].StoreFolder.isEmpty());
    EXPECT_EQ(library->Movies[0].Overview, u"plot"_s);
    EXPECT_TRUE(QFile::exists(a.FilePath + u".jpg"_s));
    EXPECT_EQ(MakeThumbnail(readOnly.Path() + u"/cover.jpg"_s), readOnly.Path() + u"/cover.thumb.jpg"_s);
    EXPECT_TRUE(QDir(LocalStoreRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}
