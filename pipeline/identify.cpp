#include "pipeline/identify.h"

#include "library/movie_xml.h"
#include "pipeline/download_workers.h"
#include "pipeline/stages.h"
#include "web/info_page.h"
#include "web/result_titles.h"
#include "web/search.h"

#include <QFile>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int MaxCandidates = 10;

MovieRecord* FindMovie(MovieLibrary& library, const QString& path) {
    auto found = std::find_if(library.Movies.begin(), library.Movies.end(),
                              [&](const MovieRecord& m) { return m.FilePath == path; });
    return found == library.Movies.end() ? nullptr : &*found;
}

void Changed(MovieLibrary& library, const QString& path) {
    if (!library.StopRequested && library.Host.MovieChanged)
        library.Host.MovieChanged(path);
}

void SetState(MovieLibrary& library, const QString& path, const QString& state) {
    std::lock_guard lock(library.RecordsMutex);
    library.UserLookups[path].State = state;
}

std::vector<LookupCandidate> Search(const MovieRecord& movie, const QString& words, const std::atomic<bool>* stop) {
    std::vector<LookupCandidate> found;
    for (const QString& engine : {u"bing"_s, u"sogou"_s}) {
        QStringList links;
        SearchTitle(movie, engine, words, links, stop);
        QFile page(u"tempsearch.html"_s);
        const QHash<QString, QString> titles =
            page.open(QIODevice::ReadOnly) ? ReadResultTitles(page.readAll()) : QHash<QString, QString>();
        links.removeDuplicates();
        for (const QString& link : std::as_const(links)) {
            if (int(found.size()) == MaxCandidates)
                break;
            const QString site = SiteOf(link);
            found.push_back({titles.value(link, site), site, link});
        }
        if (!found.empty() || (stop && *stop))
            break;
    }
    return found;
}

void ServeSearch(MovieLibrary& library, const IdentifyRequest& request) {
    MovieRecord movie;
    {
        std::lock_guard lock(library.RecordsMutex);
        const MovieRecord* record = FindMovie(library, request.FilePath);
        if (!record)
            return;
        movie = *record;
    }
    ShowStatus(library, u"搜索:"_s + request.Words);
    const std::vector<LookupCandidate> found = Search(movie, request.Words, &library.StopRequested);
    {
        std::lock_guard lock(library.RecordsMutex);
        LookupChoices& choices = library.UserLookups[request.FilePath];
        choices.Found = found;
        choices.State = u"searched"_s;
    }
    Changed(library, request.FilePath);
}

// The picked page goes into the movie as a lookup's result does: the fields it gives replace the
// record's, except one the user edited meanwhile, and the record and its file are stored together.
void ServePick(MovieLibrary& library, const IdentifyRequest& request) {
    MovieRecord* record = nullptr;
    MovieRecord copy;
    {
        std::lock_guard lock(library.RecordsMutex);
        record = FindMovie(library, request.FilePath);
        if (!record)
            return;
        copy = *record;
    }
    const MovieRecord before = copy;
    ShowStatus(library, u"下载信息:"_s + copy.DisplayTitle);
    // The page's own fields, not what an earlier failure left.
    copy.Overview.clear();
    const bool read = FetchInfoPage(copy, request.Url, &library.StopRequested);
    if (!read || !LookupFoundInformation(copy)) {
        SetState(library, request.FilePath, u"failed"_s);
        // The page may have saved the file without information: the record's own version goes back.
        std::lock_guard files(library.MetadataMutex);
        MovieRecord current;
        {
            std::lock_guard lock(library.RecordsMutex);
            current = *record;
        }
        WriteMovieXml(current);
        ShowStatus(library, u"下载信息失败:"_s + copy.DisplayTitle);
        Changed(library, request.FilePath);
        return;
    }
    {
        std::lock_guard files(library.MetadataMutex);
        MovieRecord merged;
        {
            std::lock_guard lock(library.RecordsMutex);
            merged = *record;
        }
        for (QString MovieRecord::*field :
             {&MovieRecord::Title, &MovieRecord::OriginalTitle, &MovieRecord::CountryOfOrigin,
              &MovieRecord::ProductionYear, &MovieRecord::Rating, &MovieRecord::Genres, &MovieRecord::Overview,
              &MovieRecord::infourl, &MovieRecord::movieurl, &MovieRecord::picurl})
            if (copy.*field != before.*field && merged.*field == before.*field)
                merged.*field = copy.*field;
        WriteMovieXml(merged);
        std::lock_guard lock(library.RecordsMutex);
        *record = merged;
        copy = merged;
        library.UserLookups.remove(request.FilePath);
    }
    UpdateLookupSummary(library);
    ShowStatus(library, u"下载信息成功:"_s + copy.DisplayTitle);
    Changed(library, request.FilePath);
    if (StorePoster(library, copy))
        Changed(library, request.FilePath);
}

} // namespace

bool QueueIdentifySearch(MovieLibrary& library, const QString& filePath, const QString& words) {
    const QString text = words.simplified();
    if (text.isEmpty())
        return false;
    {
        std::lock_guard lock(library.RecordsMutex);
        if (!FindMovie(library, filePath))
            return false;
        LookupChoices& choices = library.UserLookups[filePath];
        choices.Words = text;
        choices.Found.clear();
        choices.State = u"searching"_s;
    }
    std::lock_guard lock(library.QueueMutex);
    library.IdentifyQueue.push_back({filePath, text, QString()});
    return true;
}

bool QueueIdentifyPick(MovieLibrary& library, const QString& filePath, const QString& url) {
    {
        std::lock_guard lock(library.RecordsMutex);
        auto choices = library.UserLookups.find(filePath);
        if (choices == library.UserLookups.end() ||
            std::none_of(choices->Found.cbegin(), choices->Found.cend(),
                         [&](const LookupCandidate& c) { return c.Url == url; }))
            return false;
        choices->State = u"reading"_s;
    }
    std::lock_guard lock(library.QueueMutex);
    library.IdentifyQueue.push_back({filePath, QString(), url});
    return true;
}

bool ServeOneIdentify(MovieLibrary& library) {
    IdentifyRequest request;
    {
        std::lock_guard lock(library.QueueMutex);
        if (library.IdentifyQueue.empty())
            return false;
        request = library.IdentifyQueue.front();
        library.IdentifyQueue.erase(library.IdentifyQueue.begin());
    }
    if (request.Url.isEmpty())
        ServeSearch(library, request);
    else
        ServePick(library, request);
    return true;
}
