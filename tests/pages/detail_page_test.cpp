#include "pages/builtin_texts.h"
#include "pages/detail_page.h"
#include "pages/text_codec.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Slots a template leaves for values ("%s" not preceded by another percent sign).
int SlotCount(const QString& format) {
    int slots = 0;
    for (qsizetype i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != u'%')
            continue;
        if (format[i + 1] == u's')
            ++slots;
        ++i; // "%%" and "%s" both take two characters
    }
    return slots;
}

MovieRecord Movie(const TempFolder& folder, const QString& relative) {
    MovieRecord movie;
    movie.FilePath = folder.file(relative);
    movie.FileName = QFileInfo(movie.FilePath).fileName();
    movie.Folder = QFileInfo(movie.FilePath).path();
    movie.DisplayTitle = movie.FileName.section(u'.', 0, 0).toLower();
    movie.SearchKey = movie.FilePath.toLower();
    movie.FolderVideoCount = 1;
    return movie;
}

QSet<QString> Names(const QStringList& paths) {
    QSet<QString> names;
    for (const QString& path : paths)
        names.insert(QFileInfo(path).fileName());
    return names;
}

QString ReadPage(const TempFolder& folder) {
    return QString::fromUtf8(folder.read(u"detail.html"_s));
}

} // namespace

TEST(DetailTemplates, TakeTheirValuesInTheirSlots) {
    EXPECT_EQ(SlotCount(DecodeText(DetailHeaderTemplate)), 4);
    EXPECT_EQ(SlotCount(DecodeText(DetailBodyTemplate)), 11);
    EXPECT_EQ(SlotCount(DecodeText(EditFormTemplate)), 12);
}

TEST(DetailPictures, AFolderOfOneOrTwoVideosShowsEveryPictureOfTheFolder) {
    TempFolder folder;
    for (const QString& name : {u"a.mkv.jpg"_s, u"cover.JPG"_s, u"b.mkv.jpg"_s, u"a.mkv.thumb.jpg"_s,
                                u"cover.thumb.jpg"_s, u"notes.txt"_s, u"still.jpeg"_s})
        folder.write(u"films/"_s + name, "x");
    folder.mkdir(u"films/sub.jpg"_s);
    MovieRecord movie = Movie(folder, u"films/a.mkv"_s);
    movie.FolderVideoCount = 2;
    movie.FolderImageCount = 3;
    EXPECT_EQ(Names(DetailPictures(movie)), (QSet<QString>{u"a.mkv.jpg"_s, u"cover.JPG"_s, u"b.mkv.jpg"_s}));

    // No counted image: only the movie's own posters, even in a small folder.
    movie.FolderImageCount = 0;
    EXPECT_EQ(Names(DetailPictures(movie)), (QSet<QString>{u"a.mkv.jpg"_s}));
}

TEST(DetailPictures, ASharedFolderShowsOnlyTheMoviesOwnPosters) {
    TempFolder folder;
    for (const QString& name : {u"Movie.mkv.jpg"_s, u"Movie.mkv.1.jpg"_s, u"Movie.mkv.2.JPG"_s,
                                u"Movie.mkv.thumb.jpg"_s, u"Other.mkv.jpg"_s, u"cover.jpg"_s, u"Movie.mkv.xml"_s})
        folder.write(u"films/"_s + name, "x");
    MovieRecord movie = Movie(folder, u"films/Movie.mkv"_s);
    movie.FolderVideoCount = 3;
    movie.FolderImageCount = 5;
    EXPECT_EQ(Names(DetailPictures(movie)),
              (QSet<QString>{u"Movie.mkv.jpg"_s, u"Movie.mkv.1.jpg"_s, u"Movie.mkv.2.JPG"_s}));
}

// Every picture the folder holds, hidden ones too (the scan counts them), reaches the page as a file
// URL that the browser reads back as its path, whatever the name holds.
TEST(DetailPictures, EveryPictureIsListedUnderAnAttributeSafeUrl) {
    TempFolder folder;
    const QStringList names = {u".hidden.jpg"_s, u"a&copy;.jpg"_s, u"b#1.jpg"_s,
                               u"c%41.jpg"_s,    u"d\"q'.jpg"_s,   u"E&amp;.JPG"_s};
    for (const QString& name : names)
        folder.write(u"films/"_s + name, "x");
    MovieRecord movie = Movie(folder, u"films/a.mkv"_s);
    movie.FolderImageCount = static_cast<int>(names.size());
    QStringList expected;
    for (const QString& name : names)
        expected << folder.file(u"films/"_s + name);
    EXPECT_EQ(DetailPictures(movie), expected) << "listed in name order";

    ASSERT_FALSE(BuildDetailPage(*std::make_shared<MovieLibrary>(), movie, QString(), DetailView).isEmpty());
    QStringList shown;
    const QRegularExpression image(u"<img src=\"([^\"]*)\"><br>"_s);
    for (const QRegularExpressionMatch& match : image.globalMatch(ReadPage(folder))) {
        QString src = match.captured(1);
        EXPECT_FALSE(src.contains(QRegularExpression(u"&(?!amp;|quot;|#39;|lt;|gt;)"_s))) << src.toStdString();
        src.replace(u"&quot;"_s, u"\""_s).replace(u"&#39;"_s, u"'"_s).replace(u"&lt;"_s, u"<"_s);
        src.replace(u"&gt;"_s, u">"_s).replace(u"&amp;"_s, u"&"_s);
        shown << QUrl(src).toLocalFile();
    }
    EXPECT_EQ(shown, expected);
}

TEST(ShowDetail, DetailViewShowsTheMovieEscapedWithItsPicturesAndRelatedTitles) {
    TempFolder folder;
    MovieLibrary library;
    MovieRecord movie = Movie(folder, u"films/Heat #1.mkv"_s);
    movie.Title = u"<b>Heat</b> & \"friends\""_s;
    movie.Overview = u"line one\nline two"_s;
    movie.Notes = u"watch with 'Tom'"_s;
    folder.write(u"films/Heat #1.mkv.jpg"_s, "x");
    library.Movies = {movie, Movie(folder, u"other/heat.mkv"_s), Movie(folder, u"third/zzz.mkv"_s)};

    const QString path = ShowDetail(library, movie.FilePath, DetailView);
    ASSERT_EQ(path, folder.file(u"detail.html"_s));
    const QString page = ReadPage(folder);
    EXPECT_TRUE(page.contains(u"&lt;b&gt;Heat&lt;/b&gt; &amp; &quot;friends&quot;"_s));
    EXPECT_FALSE(page.contains(u"<b>Heat</b>"_s));
    EXPECT_TRUE(page.contains(u"line one<br>line two"_s));
    EXPECT_TRUE(page.contains(u"watch with &#39;Tom&#39;"_s));
    EXPECT_TRUE(page.contains(u"ExtCommand(7,"_s));
    // The picture is referenced by a file URL that survives the "#" in its name.
    EXPECT_TRUE(page.contains(
        u"<img src=\""_s + QUrl::fromLocalFile(folder.file(u"films/Heat #1.mkv.jpg"_s)).toString(QUrl::FullyEncoded) +
        u"\"><br>"_s));
    // Both "heat" movies are related; the third is not.
    EXPECT_TRUE(page.contains(u"heat.mkv"_s));
    EXPECT_FALSE(page.contains(u"zzz.mkv"_s));
    EXPECT_EQ(page.count(u"<div class=d>"_s), 2);
}

TEST(ShowDetail, EditFormHoldsTheStoredValuesAndNoRelatedTitles) {
    TempFolder folder;
    MovieLibrary library;
    MovieRecord movie = Movie(folder, u"films/heat.mkv"_s);
    movie.Overview = u"line one\nline two & <more>"_s;
    library.Movies = {movie, Movie(folder, u"other/heat.mkv"_s)};

    ASSERT_FALSE(ShowDetail(library, movie.FilePath, EditForm).isEmpty());
    const QString page = ReadPage(folder);
    EXPECT_TRUE(page.contains(u"line one\nline two &amp; &lt;more&gt;</textarea>"_s));
    EXPECT_FALSE(page.contains(u"<div class=d>"_s));
    EXPECT_TRUE(page.contains(u"value=\""_s + movie.FilePath + u'"'));
    EXPECT_TRUE(page.contains(u"ExtCommand(5,"_s));
}

TEST(ShowDetail, AnUnknownPathWritesNothing) {
    TempFolder folder;
    MovieLibrary library;
    library.Movies = {Movie(folder, u"films/heat.mkv"_s)};
    EXPECT_TRUE(ShowDetail(library, folder.file(u"films/HEAT.mkv"_s), DetailView).isEmpty());
    EXPECT_TRUE(ShowDetail(library, QString(), EditForm).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"detail.html"_s)));
}

TEST(BuildDetailPage, APageThatCannotBeWrittenGivesAnEmptyPath) {
    TempFolder folder;
    MovieLibrary library;
    folder.mkdir(u"detail.html"_s); // a folder where the page should go
    EXPECT_TRUE(BuildDetailPage(library, Movie(folder, u"films/heat.mkv"_s), QString(), DetailView).isEmpty());
}

TEST(BuildDetailPage, TwoThreadsWritingThePageNeverLeaveAMixture) {
    TempFolder folder;
    MovieLibrary library;
    MovieRecord a = Movie(folder, u"films/a.mkv"_s);
    a.Overview = QString(20000, u'a');
    MovieRecord b = Movie(folder, u"films/b.mkv"_s);
    b.Overview = QString(20000, u'b');
    ASSERT_FALSE(BuildDetailPage(library, a, QString(), DetailView).isEmpty());
    const QByteArray pageA = folder.read(u"detail.html"_s);
    ASSERT_FALSE(BuildDetailPage(library, b, QString(), DetailView).isEmpty());
    const QByteArray pageB = folder.read(u"detail.html"_s);

    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 100; ++i)
            BuildDetailPage(library, a, QString(), DetailView);
        done = true;
    });
    int reads = 0;
    bool mixed = false;
    while (!done) {
        for (int i = 0; i < 5; ++i)
            BuildDetailPage(library, b, QString(), DetailView);
        const QByteArray seen = folder.read(u"detail.html"_s);
        mixed = mixed || (seen != pageA && seen != pageB);
        ++reads;
    }
    writer.join();
    EXPECT_FALSE(mixed);
    EXPECT_GT(reads, 0);
}
