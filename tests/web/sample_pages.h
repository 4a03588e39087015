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

// A page of a download site of the first family: a head script, two dense lists of links (a sidebar
// and one after the data), and the "◎" block in a re-indented source, broken by pictures and followed
// by a download table. Its values are those of SamplePage.
QString LinkListInfoPage();

// A page of the second family: a heading naming the downloads above the data ("…下载地址和剧情："), then
// one "<p>" element per "◎" line, a ">" inside a picture's script attribute, and the download section.
// Its values are those of SamplePage.
QString ParagraphInfoPage();

// A results page with one link per line, written the way the engines write them.
QByteArray SampleResultsPage(const QStringList& links);

// The click-through address a 2025 Bing results page writes for `target`: the target in base64url
// (without padding) after "u=a1", among other parameters, "&" written as "&amp;".
QString BingClickThrough(const QString& target);

// A results page laid out like Bing's of 2025: long lines; an answer card with its own heading and
// links (`cards`) before the organic results, each an `<li class="b_algo">` with a site-icon link and
// a heading link to the same target; every link a click-through address; the engine's own links
// around them and a footer.
QByteArray SampleBingPage(const QStringList& cards, const QStringList& organic);

// A results page laid out like Sogou's: a top card of click-through links without a heading
// (`cards`), then the organic results, each a "vrwrap" block headed by `<h3>` whose link (a relative
// "/link?url=…" token or a direct address, as given) is repeated on its picture, then a music card of
// direct links (`music`) and the footer. UTF-8, as the engine writes it.
QByteArray SampleSogouPage(const QStringList& cards, const QStringList& organic, const QStringList& music);
