#include "pages/wall_page.h"

#include "pages/builtin_texts.h"
#include "pages/page_file.h"
#include "pages/text_codec.h"
#include "pages/wall_item.h"

#include <QHash>
#include <algorithm>
#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

QString WallPageHead(const QString& escapedSearchText) {
    return FillTemplate(DecodeText(WallPageTemplate), {escapedSearchText});
}

namespace {

// Country and year repeat across a collection and cleaning them is the costliest part of an item.
class BracketCache {
public:
    const QString& operator()(const MovieRecord& record) {
        const QString key = record.CountryOfOrigin + QChar(0) + record.ProductionYear;
        auto found = cache_.constFind(key);
        if (found == cache_.cend())
            found = cache_.insert(key, BracketText(record));
        return *found;
    }

private:
    QHash<QString, QString> cache_;
};

} // namespace

QString MakeWallItems(const std::vector<MovieRecord>& records) {
    // The first wall after many new posters decodes them all, and every wall tests thousands of files
    // and escapes every value: the items are made on every core, in chunks, then joined in order.
    constexpr size_t chunk = 64;
    std::vector<QString> items(records.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        BracketCache bracket;
        for (size_t begin = next.fetch_add(chunk); begin < records.size(); begin = next.fetch_add(chunk)) {
            for (size_t i = begin; i < std::min(begin + chunk, records.size()); ++i)
                items[i] = WallItemMarkup(records[i], WallThumbnail(records[i]), bracket(records[i]));
        }
    };
    const unsigned helpers =
        records.size() < 2 * chunk ? 0 : std::clamp(std::thread::hardware_concurrency(), 1u, 8u) - 1;
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();

    qsizetype size = 0;
    for (const QString& item : items)
        size += item.size();
    QString joined;
    joined.reserve(size);
    for (const QString& item : items)
        joined += item;
    return joined;
}

QString BuildWallPage(MovieLibrary& library) {
    std::vector<MovieRecord> records;
    QString notice;
    {
        // Copies share their strings, so this is quick; thumbnails and the file come after the lock.
        std::lock_guard lock(library.RecordsMutex);
        records = library.Movies;
        notice = library.UpdateNotice;
    }
    const QString count = u' ' + QString::number(records.size()) + u" 部视频 "_s + notice;
    const QString page = WallPageHead(QString()) + count + MakeWallItems(records);
    const QString path = WritePage(u"menu.html"_s, page);

    std::lock_guard lock(library.RecordsMutex);
    if (!path.isEmpty())
        library.WallPagePath = path;
    return library.WallPagePath;
}
