#include "web/info_page.h"

#include "extract/movie_info.h"
#include "library/atomic_file.h"
#include "web/encodings.h"
#include "web/links.h"
#include "web/ydown.h"

#include <QFile>
#include <cstdint>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MinPageLength = 410;
constexpr qsizetype HalfWindow = 200; // the window runs from i - 200 to i + 199
constexpr int DensityThreshold = 50;
constexpr int MinPeakDensity = 200; // the highest density must exceed it

const QString DownloadFile = u"tempdown.html"_s;

// Only the ASCII tag names are searched for, so an ASCII lower-casing is enough, and unlike full
// Unicode lower-casing it never changes the length (positions must stay those of the page).
QString AsciiLower(const QString& text) {
    QString lower = text;
    for (QChar& c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 0x20);
    }
    return lower;
}

enum Mark : uint8_t { Hidden = 0, Visible = 1, Cleared = 2 };

// One mark per character: 1 for visible text, 0 for tags, blanks, script bodies and what precedes
// the body.
std::vector<uint8_t> MarkVisibleText(const QString& page) {
    const QString lower = AsciiLower(page);
    const qsizetype n = page.size();
    std::vector<uint8_t> marks(static_cast<size_t>(n), Hidden);

    qsizetype script = lower.indexOf(u"<script"_s);
    while (script >= 0) {
        const qsizetype end = lower.indexOf(u"</script>"_s, script);
        if (end < 0)
            break;
        for (qsizetype i = script + 5; i < end; ++i)
            marks[i] = Cleared;
        script = lower.indexOf(u"<script"_s, end);
    }

    const qsizetype body = lower.indexOf(u"<body"_s);
    const qsizetype start = body >= 1 ? body : 0;
    bool inTag = false;
    const QChar* text = page.constData();
    for (qsizetype i = start; i < n; ++i) {
        const char16_t c = text[i].unicode();
        // A cleared position reads as a zero character: it neither opens nor closes a tag.
        if (marks[i] == Cleared || c == 0) {
            marks[i] = Hidden;
            continue;
        }
        if (inTag) {
            if (c == u'>')
                inTag = false;
            continue; // already Hidden
        }
        if (c == u'<')
            inTag = true;
        else if (c != u'\t' && c != u'\n' && c != u'\r' && c != u' ')
            marks[i] = Visible;
    }
    return marks;
}

} // namespace

MainTextRegion LocateMainText(const QString& page) {
    const qsizetype n = page.size();
    if (n < MinPageLength)
        return {};
    const std::vector<uint8_t> marks = MarkVisibleText(page);

    int density = 0; // at position 200: marks 0 to 399
    for (qsizetype j = 0; j < 2 * HalfWindow; ++j)
        density += marks[j];
    int highest = 0;
    qsizetype riseAt = 0;
    qsizetype bestStart = 0;
    qsizetype bestLength = 0;
    for (qsizetype i = HalfWindow + 1; i <= n - HalfWindow - 2; ++i) {
        const int previous = density;
        density += marks[i + HalfWindow - 1] - marks[i - HalfWindow - 1];
        if (density > highest)
            highest = density;
        if (previous < DensityThreshold && density >= DensityThreshold) {
            riseAt = i;
        } else if (previous >= DensityThreshold && density < DensityThreshold && riseAt > 0) {
            if (i - riseAt > bestLength) {
                bestStart = riseAt;
                bestLength = i - riseAt;
            }
        }
    }
    if (highest <= MinPeakDensity || bestLength <= 0)
        return {};
    return {true, bestStart, bestLength};
}

bool FetchInfoPage(MovieRecord& record, const QString& url, const std::atomic<bool>* stop) {
    QFile::remove(DownloadFile);
    YDown(stop).Download(url, QString(), DownloadFile, QString::fromUtf16(PageRequestHeader));
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

    const QString text = DecodePageBytes(bytes);
    const MainTextRegion region = LocateMainText(text);
    if (!region.Found)
        return false;

    record.movieurl = ExtractFtpLinks(text);
    record.picurl = ExtractImageUrls(text);
    QString mainText = text.mid(region.Start, region.Length);
    if (!mainText.isEmpty())
        mainText[0] = u'<';
    record.infourl = url;
    ExtractMovieInfo(record, mainText);
    return true;
}
