#include "web/info_page.h"

#include "extract/movie_info.h"
#include "library/atomic_file.h"
#include "web/encodings.h"
#include "web/site_request.h"
#include "web/ydown.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

const QString DownloadFile = u"tempdown.html"_s;

} // namespace

bool FetchInfoPage(MovieRecord& record, const QString& url, const std::atomic<bool>* stop, QString* refusal) {
    QFile::remove(DownloadFile);
    YDown down(stop);
    const QString refused = DownloadFromSite(down, url, DownloadFile, QString::fromUtf16(PageRequestHeader), stop);
    if (refusal)
        *refusal = refused;
    // A download cut short by a stop request is not the page: leave the record as it was.
    if (stop && stop->load())
        return false;

    QFile file(DownloadFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    if (!record.FilePath.isEmpty())
        WriteFileAtomically(record.FilePath + u".info.htm"_s, bytes);

    // The page is read on a copy, so one that gives nothing leaves the record as it was.
    MovieRecord read = record;
    if (!ExtractMovieInfo(read, DecodePageBytes(bytes), url))
        return false;
    read.infourl = url;
    record = read;
    return true;
}
