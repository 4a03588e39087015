#include "web/retrieval.h"

#include "library/file_name.h"
#include "library/movie_xml.h"
#include "web/info_page.h"
#include "web/search.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

constexpr int MaxVideosForFolderName = 10;

bool Usable(const QString& result) {
    return !result.isEmpty() && result != QStringView(SearchBlockedResult);
}

bool Stopped(const std::atomic<bool>* stop) {
    return stop && stop->load();
}

} // namespace

QString SearchTextFor(const MovieRecord& record) {
    // The engines are asked in words: a GBK name as its text.
    QString text = ReadableFileName(record.FileName);
    if (record.FolderSubfolderCount == 0 && record.FolderVideoCount <= MaxVideosForFolderName) {
        const qsizetype slash = record.Folder.lastIndexOf(u'/');
        if (slash > 0)
            text += u' ' + ReadableFileName(record.Folder.mid(slash + 1));
    }
    return text;
}

QString FindInfoUrl(const MovieRecord& record, QStringList& links, const std::atomic<bool>* stop, bool* searched,
                    QStringList* refusals) {
    const QString text = SearchTextFor(record);
    bool bingRead = false;
    bool sogouRead = false;
    QString refusal;
    QString preferred = SearchTitle(record, u"bing"_s, text, links, stop, &bingRead, &refusal);
    if (refusals && !refusal.isEmpty())
        refusals->append(refusal);
    if (!Usable(preferred) && !Stopped(stop)) {
        preferred = SearchTitle(record, u"sogou"_s, text, links, stop, &sogouRead, &refusal);
        if (refusals && !refusal.isEmpty())
            refusals->append(refusal);
    }
    if (searched)
        *searched = bingRead || sogouRead;
    return Usable(preferred) ? preferred : QString();
}

int FetchMovieInfo(MovieRecord& record, const std::atomic<bool>* stop, QStringList* refusals) {
    QStringList links;
    bool searched = false;
    QStringList refused;
    const QString preferred = FindInfoUrl(record, links, stop, &searched, &refused);

    QStringList candidates;
    QSet<QString> seen;
    if (!preferred.isEmpty()) {
        candidates.append(preferred);
        seen.insert(preferred);
    }
    for (const QString& link : std::as_const(links)) {
        if (!seen.contains(link)) {
            candidates.append(link);
            seen.insert(link);
        }
    }

    for (const QString& candidate : std::as_const(candidates)) {
        if (Stopped(stop))
            break;
        QString refusal;
        if (FetchInfoPage(record, candidate, stop, &refusal))
            break;
        if (!refusal.isEmpty())
            refused.append(refusal);
    }
    if (refusals)
        *refusals = refused;

    // An interrupted lookup has not failed: leave the movie to be looked up again.
    if (Stopped(stop))
        return 1;
    const bool informed = !record.Overview.isEmpty() && !record.Overview.startsWith(u"错误："_s);
    if (!refused.isEmpty() && !informed) {
        // A site that refused may well hold the movie: it was not really looked up, and the text that
        // has it looked up again at the next start says so.
        record.Overview = QString::fromUtf16(SearchFailedText);
    } else if (record.Overview.isEmpty()) {
        // Without any results page (no network, or both engines asking for a verification code) the
        // movie was never really searched; this text has it looked up again at the next start.
        record.Overview = QString::fromUtf16(searched ? NothingExtractedText : SearchFailedText);
    }
    return 1;
}
