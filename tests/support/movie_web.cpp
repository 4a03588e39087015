#include "tests/support/movie_web.h"

#include "web/retrieval.h"
#include "web/search.h"

#include <QCryptographicHash>

using namespace Qt::StringLiterals;

namespace {

// Markup without visible text: the information page's main text is found between two such pads.
QString Pad() {
    return u"<i></i>"_s.repeated(80);
}

} // namespace

QString InfoPageUrl(const MovieRecord& movie) {
    const QByteArray key = QCryptographicHash::hash(movie.FilePath.toUtf8(), QCryptographicHash::Md5).toHex();
    return u"http://films.test/"_s + QString::fromLatin1(key) + u".html"_s;
}

void ServeLookup(TestHttpServer& server, const MovieRecord& movie, const FakeMovieInfo& info) {
    // The first engine lists the page; the link is not of a preferred site, so the second engine is
    // asked as well and answers 404.
    const QString results = u"<html><body><ul><li><a href=\"%1\">%2</a></li></ul></body></html>"_s.arg(
        InfoPageUrl(movie), movie.DisplayTitle);
    server.Serve(SearchAddress(u"bing"_s, SearchTextFor(movie)), results.toUtf8());

    QString pictures;
    for (const QString& address : info.pictures)
        pictures += u"<img src=\""_s + address + u"\">"_s;
    const QString page = u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                         u"</head><body><div>"_s +
                         Pad() + u"</div><div>◎译　　名　"_s + movie.DisplayTitle + u"<br>◎年　　代　2009<br>"_s +
                         info.overview + u"<br>"_s + u"剧"_s.repeated(300) + u"<br></div><div>"_s + pictures + Pad() +
                         u"</div></body></html>"_s;
    server.Serve(InfoPageUrl(movie), page.toUtf8());
}

int InfoPageHits(const TestHttpServer& server, const MovieRecord& movie) {
    return server.HitCount(InfoPageUrl(movie));
}
