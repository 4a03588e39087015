#pragma once

#include "extract/page_facts.h"
#include "library/movie_record.h"

#include <QString>
#include <QStringList>

inline constexpr char16_t NoInformationFoundText[] = u"错误：没有找到资料。。。";

// The most pictures one page leaves beside a video: its poster and five stills.
inline constexpr int MaxPicturesPerMovie = 6;

// What an information page says about its movie, read as a browser shows it.
struct InfoPageReading {
    PageFacts Facts;  // the six short fields; a download site's keep their labels
    QString Overview; // labelled lines, then the plot under "简介:"; a download site's lines in page order
    QStringList PosterCandidates; // addresses of the poster, best first (other sizes or copies of one picture)
    QStringList Stills;           // the movie's own stills, at most five
    QString FtpLinks;             // the page's ftp addresses, each followed by a grave accent
    bool Found = false;           // the page gave a title or an overview
};

// Reads a page decoded to text: the page's structured data first (JSON-LD, the databases' own marked
// data and layout), then its og: tags and infobox pairs, then the labelled lines of its main text.
// `pageUrl` resolves relative picture addresses.
InfoPageReading ReadInfoPage(const QString& page, const QString& pageUrl);

// The picture list of a reading as the poster download takes it: the poster's candidates separated by
// blanks, then each still, every entry followed by a grave accent.
QString PictureList(const QStringList& posterCandidates, const QStringList& stills);

// Puts a reading into the record: each of the six fields the page gives replaces the record's, the
// overview is replaced ("错误：没有找到资料。。。" when the page gave none), and the pictures and ftp
// links replace the record's. Returns reading.Found. Works on the given record only; writes no file.
bool ExtractMovieInfo(MovieRecord& record, const QString& page, const QString& pageUrl = {});
