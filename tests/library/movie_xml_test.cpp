#include "library/movie_xml.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

const QString EmptyDocument =
    u"<?xml version=\"1.0\" encoding=\"Unicode\"?>\n<Collection><DVD><Title></Title><OriginalTitle></OriginalTitle>"
    "<CountryOfOrigin></CountryOfOrigin><ProductionYear></ProductionYear><Rating></Rating><Genres></Genres>"
    "<Overview></Overview><Notes></Notes><watched></watched><infourl></infourl><movieurl></movieurl>"
    "<picurl></picurl></DVD></Collection>\n"_s;

MovieRecord RecordAt(const TempFolder& temp, const QString& name) {
    MovieRecord record;
    record.FilePath = temp.file(name);
    record.SearchKey = record.FilePath.toLower();
    return record;
}

} // namespace

TEST(WriteMovieXml, EmptyRecordGivesTheBareTemplateBytes) {
    TempFolder temp;
    MovieRecord record = RecordAt(temp, u"a.avi"_s);
    ASSERT_TRUE(WriteMovieXml(record));
    EXPECT_EQ(temp.read(u"a.avi.xml"_s), Utf16Le(EmptyDocument));
    MovieRecord back = RecordAt(temp, u"a.avi"_s);
    back.Title = u"stale"_s; // an element that is present overwrites, even when empty
    ReadMovieXml(back);
    EXPECT_EQ(back.Title, QString());
    EXPECT_EQ(back.SearchKey, back.FilePath.toLower());
}

TEST(WriteMovieXml, FieldsGoInFileOrderUnescaped) {
    TempFolder temp;
    MovieRecord record = RecordAt(temp, u"Heat.AVI"_s);
    const QString MovieRecord::*order[] = {
        &MovieRecord::Title,   &MovieRecord::OriginalTitle, &MovieRecord::CountryOfOrigin, &MovieRecord::ProductionYear,
        &MovieRecord::Rating,  &MovieRecord::Genres,        &MovieRecord::Overview,        &MovieRecord::Notes,
        &MovieRecord::watched, &MovieRecord::infourl,       &MovieRecord::movieurl,        &MovieRecord::picurl};
    int n = 0;
    for (auto field : order)
        const_cast<QString&>(record.*field) = u"v"_s + QString::number(n++);
    record.Overview = u"a & b < c\r\n盗梦"_s;
    ASSERT_TRUE(WriteMovieXml(record));
    const QString expected =
        u"<?xml version=\"1.0\" encoding=\"Unicode\"?>\n<Collection><DVD><Title>v0</Title><OriginalTitle>v1"
        "</OriginalTitle><CountryOfOrigin>v2</CountryOfOrigin><ProductionYear>v3</ProductionYear><Rating>v4</Rating>"
        "<Genres>v5</Genres><Overview>a & b < c\r\n盗梦</Overview><Notes>v7</Notes><watched>v8</watched>"
        "<infourl>v9</infourl><movieurl>v10</movieurl><picurl>v11</picurl></DVD></Collection>\n"_s;
    EXPECT_EQ(temp.read(u"Heat.AVI.xml"_s), Utf16Le(expected));
    EXPECT_EQ(record.SearchKey, (record.FilePath + u"v0v1v2v3v5a & b < c\r\n盗梦v7"_s).toLower());

    MovieRecord back = RecordAt(temp, u"Heat.AVI"_s);
    ReadMovieXml(back);
    for (auto field : order)
        EXPECT_EQ(back.*field, record.*field);
    EXPECT_EQ(back.SearchKey, record.SearchKey);
}

TEST(ReadMovieXml, CleansTheShortFieldsOnly) {
    TempFolder temp;
    MovieRecord record = RecordAt(temp, u"a.avi"_s);
    record.Title = u"◎译　　名　盗梦空间"_s;
    record.OriginalTitle = u"The Dark Knight"_s;
    record.CountryOfOrigin = u"美国/英国"_s;
    record.Rating = u"IMDB评分：7.6/10"_s;
    record.Overview = u"片名: 不动 The End"_s;
    record.Notes = u"a/b"_s;
    ASSERT_TRUE(WriteMovieXml(record));
    MovieRecord back = RecordAt(temp, u"a.avi"_s);
    ReadMovieXml(back);
    EXPECT_EQ(back.Title, u"盗梦空间"_s);
    EXPECT_EQ(back.OriginalTitle, u"The Dark Knight"_s);
    EXPECT_EQ(back.CountryOfOrigin, u"美国/英国"_s);
    EXPECT_EQ(back.Rating, u"7.6/10"_s);
    EXPECT_EQ(back.Overview, record.Overview);
    EXPECT_EQ(back.Notes, u"a/b"_s);
}

TEST(ReadMovieXml, TypedValuesSurviveRestartsAndLaterEdits) {
    TempFolder temp;
    MovieRecord typed = RecordAt(temp, u"a.avi"_s);
    typed.Title = u"魅影缝匠/霓裳魅影"_s;
    typed.OriginalTitle = u"The Dark Knight"_s;
    typed.CountryOfOrigin = u"美国/英国"_s;
    typed.ProductionYear = u"2008"_s;
    typed.Rating = u"7.9"_s;
    typed.Genres = u"剧情/爱情"_s;
    ASSERT_TRUE(WriteMovieXml(typed));
    // Two starts, with an edit of another field saved between them.
    MovieRecord first = RecordAt(temp, u"a.avi"_s);
    ReadMovieXml(first);
    first.Notes = u"seen"_s;
    ASSERT_TRUE(WriteMovieXml(first));
    MovieRecord second = RecordAt(temp, u"a.avi"_s);
    ReadMovieXml(second);
    for (auto field : {&MovieRecord::Title, &MovieRecord::OriginalTitle, &MovieRecord::CountryOfOrigin,
                       &MovieRecord::ProductionYear, &MovieRecord::Rating, &MovieRecord::Genres})
        EXPECT_EQ(second.*field, typed.*field);
    EXPECT_EQ(second.Notes, u"seen"_s);
}

TEST(ReadMovieXml, FindsElementsByPlainSubstring) {
    TempFolder temp;
    // The overview holds its own closing tag and a later element's opening tag; Genres has no end.
    temp.write(u"a.avi.xml"_s,
               Utf16Le(u"<Title>Heat</Title><Overview>one</Overview>two</Overview><Notes>n<Notes>x</Notes>"
                       "</Rating>9<Rating><Genres>Crime"_s));
    MovieRecord record = RecordAt(temp, u"a.avi"_s);
    record.Rating = u"kept"_s;
    record.Genres = u"kept"_s;
    record.watched = u"kept"_s;
    ReadMovieXml(record);
    EXPECT_EQ(record.Title, u"Heat"_s);
    EXPECT_EQ(record.Overview, u"one"_s);
    EXPECT_EQ(record.Notes, u"n<Notes>x"_s);
    EXPECT_EQ(record.Rating, u"kept"_s); // closing tag before the opening one
    EXPECT_EQ(record.Genres, u"kept"_s); // no closing tag
    EXPECT_EQ(record.watched, u"kept"_s);
    EXPECT_EQ(record.SearchKey, record.FilePath.toLower() + u"heatkeptonen<notes>x"_s);
}

TEST(ReadMovieXml, Utf8AndUtf16WithOrWithoutMarkAreRead) {
    const QString text = u"<Title>热 Heat</Title><Genres>Crime</Genres><Notes>笔记 &amp; x</Notes>"_s;
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"UTF-16 LE with mark", Utf16Le(text)},
        {"UTF-16 LE without mark", Utf16Le(text, false)},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + text.toUtf8()},
        {"UTF-8 without mark", text.toUtf8()},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        TempFolder temp;
        temp.write(u"a.avi.xml"_s, file.bytes);
        MovieRecord record = RecordAt(temp, u"a.avi"_s);
        ReadMovieXml(record);
        EXPECT_EQ(record.Title, u"热 Heat"_s);
        EXPECT_EQ(record.Genres, u"Crime"_s);
        EXPECT_EQ(record.Notes, u"笔记 &amp; x"_s);
    }
}

TEST(ReadMovieXml, OtherEncodingsMatchNothingButStillCleanAndRekey) {
    TempFolder temp;
    // GBK: neither UTF-8 nor UTF-16.
    temp.write(u"a.avi.xml"_s, "<Title>\xC8\xC8</Title><Genres>Crime</Genres>");
    MovieRecord record = RecordAt(temp, u"a.avi"_s);
    record.Title = u"片名 Heat"_s;
    record.Notes = u"Old"_s;
    ReadMovieXml(record);
    EXPECT_EQ(record.Title, u"Heat"_s);
    EXPECT_EQ(record.Genres, QString());
    EXPECT_EQ(record.SearchKey, record.FilePath.toLower() + u"heatold"_s);
}

// Replacing a file Reelboard did not write keeps its bytes beside it, once; its own files are just
// replaced.
TEST(WriteMovieXml, AForeignFileIsKeptOnceBeforeItIsReplaced) {
    TempFolder temp;
    const QByteArray foreign = "<Title>\xC8\xC8</Title><Extra>mine</Extra>";
    for (const QByteArray& old : {foreign, QByteArray("<Title>utf8</Title>"), Utf16Le(u"<Title>x</Title>"_s)}) {
        temp.write(u"a.avi.xml"_s, old);
        QFile::remove(temp.file(u"a.avi.xml.bak"_s));
        MovieRecord record = RecordAt(temp, u"a.avi"_s);
        record.Title = u"Heat"_s;
        ASSERT_TRUE(WriteMovieXml(record));
        EXPECT_EQ(temp.read(u"a.avi.xml.bak"_s), old);
        record.Title = u"Heat 2"_s;
        ASSERT_TRUE(WriteMovieXml(record));
        EXPECT_EQ(temp.read(u"a.avi.xml.bak"_s), old) << "the first backup stays";
        EXPECT_EQ(temp.read(u"a.avi.xml"_s), MovieXmlBytes(record));
    }
    QFile::remove(temp.file(u"a.avi.xml.bak"_s));
    MovieRecord record = RecordAt(temp, u"a.avi"_s);
    ASSERT_TRUE(WriteMovieXml(record));
    EXPECT_FALSE(QFile::exists(temp.file(u"a.avi.xml.bak"_s))) << "a file of ours needs no backup";
}

TEST(ReadMovieXml, TextEndsAtTheFirstZeroUnit) {
    TempFolder temp;
    QByteArray bytes = Utf16Le(u"<Title>Heat</Title>"_s);
    bytes += QByteArray(2, '\0') + Utf16Le(u"<Genres>Crime</Genres>"_s, false);
    temp.write(u"a.avi.xml"_s, bytes);
    MovieRecord record = RecordAt(temp, u"a.avi"_s);
    ReadMovieXml(record);
    EXPECT_EQ(record.Title, u"Heat"_s);
    EXPECT_EQ(record.Genres, QString());
}

TEST(ReadMovieXml, MissingFileLeavesTheRecordAsScanned) {
    TempFolder temp;
    MovieRecord record = RecordAt(temp, u"a.avi"_s);
    record.Title = u"片名 x"_s;
    record.SearchKey = u"as scanned"_s;
    ReadMovieXml(record);
    EXPECT_EQ(record.Title, u"片名 x"_s);
    EXPECT_EQ(record.SearchKey, u"as scanned"_s);
}

TEST(ReadMovieXml, FallsBackToTheLowerCaseFileName) {
    TempFolder temp;
    temp.write(u"Films/heat.avi.xml"_s, Utf16Le(u"<Title>lower</Title>"_s));
    MovieRecord record = RecordAt(temp, u"Films/Heat.AVI"_s);
    ReadMovieXml(record);
    EXPECT_EQ(record.Title, u"lower"_s);
    // The folder part keeps its case: only the file name is lowered.
    temp.write(u"films/other.avi.xml"_s, Utf16Le(u"<Title>wrong</Title>"_s));
    MovieRecord other = RecordAt(temp, u"Films/Other.avi"_s);
    ReadMovieXml(other);
    EXPECT_EQ(other.Title, QString());
    // The exact name wins when both exist.
    temp.write(u"Films/Heat.AVI.xml"_s, Utf16Le(u"<Title>exact</Title>"_s));
    ReadMovieXml(record);
    EXPECT_EQ(record.Title, u"exact"_s);
}

TEST(WriteMovieXml, AFailedWriteLeavesTheOldFileIntact) {
    TempFolder temp;
    MovieRecord record = RecordAt(temp, u"a.avi"_s);
    record.Title = u"Heat"_s;
    ASSERT_TRUE(WriteMovieXml(record));
    const QByteArray before = temp.read(u"a.avi.xml"_s);

    // A file size limit makes the write fail part way, as a full disk would (also for root).
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    record.Overview = QString(20000, u'x');
    const bool written = WriteMovieXml(record);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(temp.read(u"a.avi.xml"_s), before);
    EXPECT_EQ(record.SearchKey, (record.FilePath + u"Heat"_s + record.Overview).toLower());
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files), QStringList{u"a.avi.xml"_s}); // no temporary left
}

TEST(WriteMovieXml, MissingFolderWritesNothing) {
    TempFolder temp;
    MovieRecord record = RecordAt(temp, u"gone/a.avi"_s);
    record.Title = u"Heat"_s;
    EXPECT_FALSE(WriteMovieXml(record));
    EXPECT_FALSE(QFile::exists(temp.file(u"gone/a.avi.xml"_s)));
    EXPECT_EQ(record.SearchKey, (record.FilePath + u"Heat"_s).toLower());
}
