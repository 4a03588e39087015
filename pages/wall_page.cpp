#include "pages/wall_page.h"

#include "library/atomic_file.h"
#include "pages/builtin_texts.h"
#include "pages/escape.h"
#include "pages/page_file.h"
#include "pages/text_codec.h"
#include "pages/wall_controls.h"
#include "pages/wall_item.h"
#include "pages/wall_notices.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <thread>
#include <type_traits>

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

namespace {

// The items of `records`, made on every core in chunks of consecutive records; `finish` turns each
// chunk's text into the form the caller joins (UTF-16 for other pages, UTF-8 for the wall file).
// The first wall after many new posters decodes them all, and every wall tests thousands of files
// and escapes every value, so the work is shared.
template <typename Chunk, typename Finish>
std::vector<Chunk> MakeItemChunks(const std::vector<MovieRecord>& records, Finish finish) {
    constexpr size_t chunkSize = 16;
    std::vector<Chunk> chunks((records.size() + chunkSize - 1) / chunkSize);
    std::atomic<size_t> next{0};
    auto work = [&] {
        BracketCache bracket;
        for (size_t c = next++; c < chunks.size(); c = next++) {
            QString text;
            for (size_t i = c * chunkSize; i < std::min((c + 1) * chunkSize, records.size()); ++i)
                text += WallItemMarkup(records[i], WallThumbnail(records[i]), bracket(records[i]));
            chunks[c] = finish(text);
        }
    };
    // Twice as many threads as cores: a new thumbnail waits for its file to reach the disk, and the
    // other threads go on meanwhile.
    const unsigned helpers = chunks.size() < 2 ? 0 : std::clamp(2 * std::thread::hardware_concurrency(), 2u, 16u) - 1;
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    return chunks;
}

template <typename Text> Text Joined(const Text& head, const std::vector<Text>& chunks) {
    qsizetype size = head.size();
    for (const Text& chunk : chunks)
        size += chunk.size();
    Text joined;
    joined.reserve(size + 128);
    joined += head;
    for (const Text& chunk : chunks)
        joined += chunk;
    return joined;
}

template <typename Text> Text Ascii(const char* text) {
    if constexpr (std::is_same_v<Text, QString>)
        return QString::fromLatin1(text);
    else
        return QByteArray(text);
}

// Whether `text` could end a script element's text early. Values are escaped and cannot; the check
// keeps the page sound should an item ever hold such markup.
bool EndsScriptText(QStringView text) {
    return text.contains(u"</script"_s, Qt::CaseInsensitive) || text.contains(u"<!--"_s);
}

bool EndsScriptText(const QByteArray& text) {
    return EndsScriptText(QString::fromUtf8(text));
}

// The items of a page that lists them: its first screens as markup, and on a page of more than a few
// screens the rest as the text of a script element, which the head's script puts in place in slices.
// Read as markup at once, the browser draws nothing and loads no picture until it has read megabytes
// of items: the first posters of 10,000 came after two seconds, and after half a second this way.
template <typename Text> Text JoinedItems(const Text& head, const std::vector<Text>& chunks) {
    constexpr size_t firstChunks = 4; // 64 items: the pictures the head loads at once
    const auto later = chunks.begin() + qsizetype(std::min(firstChunks, chunks.size()));
    if (chunks.size() <= firstChunks + 1 ||
        std::any_of(later, chunks.end(), [](const Text& chunk) { return EndsScriptText(chunk); }))
        return Joined(head, chunks);
    Text joined = Joined(head, chunks);
    qsizetype at = head.size();
    for (auto chunk = chunks.begin(); chunk != later; ++chunk)
        at += chunk->size();
    joined.insert(at, Ascii<Text>("<script type=text/x-wall-items id=later>"));
    joined += Ascii<Text>("</script>\n<script>PlaceLaterItems()</script>\n");
    return joined;
}

} // namespace

QString MakeWallItems(const std::vector<MovieRecord>& records) {
    return Joined(QString(), MakeItemChunks<QString>(records, [](const QString& text) { return text; }));
}

QString MakeWallPageItems(const std::vector<MovieRecord>& records) {
    return JoinedItems(QString(), MakeItemChunks<QString>(records, [](const QString& text) { return text; }));
}

QString WallCountExtras(const WallChoice& choice, qsizetype shown, const QString& lookupSummary) {
    QString extras;
    if (!choice.Facet.isEmpty())
        extras += u"<span class=facet-count>其中 "_s + EscapeHtml(FacetValueLabel(choice.Facet, choice.FacetValue)) +
                  u' ' + QString::number(shown) + u" 部</span> "_s;
    if (!lookupSummary.isEmpty())
        extras += u"<span class=lookup-count id=lookup-count>"_s + EscapeHtml(lookupSummary) + u"</span> "_s;
    return extras;
}

QString BuildWallPage(MovieLibrary& library) {
    std::vector<MovieRecord> records;
    QString notice, summary;
    WallChoice choice;
    {
        // Copies share their strings, so this is quick; thumbnails and the file come after the lock.
        std::lock_guard lock(library.RecordsMutex);
        records = library.Movies;
        notice = library.UpdateNotice;
        if (const QString head = WallHeadNotices(library); !head.isEmpty())
            notice = head + u' ' + notice;
        summary = library.LookupSummary;
        choice = library.Choice;
    }
    const QString controls = WallControls(choice, records);
    const std::vector<MovieRecord> shown = ChosenMovies(records, choice);
    const QString count = u' ' + QString::number(records.size()) + u" 部视频 "_s +
                          WallCountExtras(choice, qsizetype(shown.size()), summary) + notice;
    // Converted to UTF-8 chunk by chunk on the item threads: the page of a large collection runs to megabytes.
    const QByteArray page =
        JoinedItems(QString(WallPageHead(QString()) + count + controls).toUtf8(),
                    MakeItemChunks<QByteArray>(shown, [](const QString& text) { return text.toUtf8(); }));
    const QString path = QDir::current().absoluteFilePath(u"menu.html"_s);
    const bool written = WriteFileAtomically(path, page);

    std::lock_guard lock(library.RecordsMutex);
    if (written)
        library.WallPagePath = path;
    return library.WallPagePath;
}
