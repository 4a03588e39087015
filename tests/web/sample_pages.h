#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// `text` in a code page through iconv ("CP936", "CP950", "UTF-8"); every character must exist there.
QByteArray EncodeAs(const QString& text, const char* codePage);

// An information page laid out the way the sites write them: a head with a script, navigation
// markup, a dense block of labelled lines ending at the download section, an ftp link and pictures.
// `charset` goes after "charset=" in the head's meta element; empty leaves the declaration out.
// `traditional` writes the text in traditional characters (for Big5 pages).
QString SampleInfoPage(const QString& charset, bool traditional = false);

// What extracting SampleInfoPage (simplified) must give.
namespace SamplePage {
inline const QString Title = QStringLiteral(u"◎译　　名　蝙蝠侠：黑暗骑士");
inline const QString OriginalTitle = QStringLiteral(u"◎片　　名　The Dark Knight");
inline const QString ProductionYear = QStringLiteral(u"◎年　　代　2008");
inline const QString CountryOfOrigin = QStringLiteral(u"◎国　　家　美国");
inline const QString Genres = QStringLiteral(u"◎类　　别　动作/犯罪/剧情");
inline const QString Rating = QStringLiteral(u"◎IMDB评分　8.9/10 from 2,000,000 users");
inline const QString FtpLinks = QStringLiteral(u"ftp://dl.example.com/The.Dark.Knight.mkv`");
inline const QString Pictures = QStringLiteral(u"http://img.example.com/poster.jpg`http://img.example.com/shot.jpg`");
} // namespace SamplePage

// A results page with one link per line, written the way the engines write them.
QByteArray SampleResultsPage(const QStringList& links);
