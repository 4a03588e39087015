#include "web/info_page.h"

#include "extract/movie_info.h"
#include "library/atomic_file.h"
#include "web/encodings.h"
#include "web/links.h"
#include "web/site_request.h"
#include "web/ydown.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <string_view>
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

char16_t AsciiLowerAt(const QChar* text, qsizetype i, qsizetype n) {
    if (i >= n)
        return 0;
    const char16_t c = text[i].unicode();
    return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
}

bool EndsTagName(char16_t c) {
    return c == 0 || c == u'>' || c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'/';
}

// What a tag starting at `at` (its "<") does to the anchor state: link text is navigation, not
// content, so it does not count as text. An anchor also ends with the block holding it, so that one
// left open does not hide the rest of the page.
enum class AnchorEdge { None, Opens, Closes };

AnchorEdge AnchorEdgeAt(const QChar* text, qsizetype at, qsizetype n) {
    const char16_t first = AsciiLowerAt(text, at + 1, n);
    if (first == u'a' && EndsTagName(AsciiLowerAt(text, at + 2, n)))
        return AnchorEdge::Opens;
    if (first != u'/')
        return AnchorEdge::None;
    static constexpr std::u16string_view closers[] = {u"a", u"p", u"div", u"td", u"li", u"ul", u"table"};
    for (std::u16string_view name : closers) {
        qsizetype k = 0;
        while (k < qsizetype(name.size()) && AsciiLowerAt(text, at + 2 + k, n) == name[size_t(k)])
            ++k;
        if (k == qsizetype(name.size()) && EndsTagName(AsciiLowerAt(text, at + 2 + k, n)))
            return AnchorEdge::Closes;
    }
    return AnchorEdge::None;
}

constexpr char16_t LabelMark = u'◎'; // starts a labelled line

struct PageMarks {
    std::vector<uint8_t> Marks;
    std::vector<qsizetype> LabelMarks; // positions of visible label marks, ascending
};

// One mark per character: 1 for visible text, 0 for tags (a ">" inside a quoted attribute value does
// not end one), blanks, link text, script bodies and what precedes the body.
PageMarks MarkVisibleText(const QString& page) {
    const QString lower = AsciiLower(page);
    const qsizetype n = page.size();
    PageMarks result;
    std::vector<uint8_t>& marks = result.Marks;
    marks.assign(static_cast<size_t>(n), Hidden);

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
    // The head's scripts were cleared too; before the body nothing is text.
    std::fill(marks.begin(), marks.begin() + start, Hidden);
    bool inTag = false;
    bool inAnchor = false;
    bool afterEquals = false;
    char16_t quote = 0;
    const QChar* text = page.constData();
    for (qsizetype i = start; i < n; ++i) {
        const char16_t c = text[i].unicode();
        // A cleared position reads as a zero character: it neither opens nor closes a tag.
        if (marks[i] == Cleared || c == 0) {
            marks[i] = Hidden;
            continue;
        }
        if (inTag) {
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == u'>') {
                inTag = false;
            } else if (c == u'=') {
                afterEquals = true;
            } else if (afterEquals && (c == u'"' || c == u'\'')) {
                quote = c;
                afterEquals = false;
            } else if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') {
                afterEquals = false;
            }
            continue; // already Hidden
        }
        if (c == u'<') {
            inTag = true;
            afterEquals = false;
            const AnchorEdge edge = AnchorEdgeAt(text, i, n);
            if (edge != AnchorEdge::None)
                inAnchor = edge == AnchorEdge::Opens;
        } else if (!inAnchor && c != u'\t' && c != u'\n' && c != u'\r' && c != u' ') {
            marks[i] = Visible;
            if (c == LabelMark)
                result.LabelMarks.push_back(i);
        }
    }
    return result;
}

qsizetype LabelMarksIn(const std::vector<qsizetype>& labels, qsizetype from, qsizetype to) {
    return std::lower_bound(labels.begin(), labels.end(), to) - std::lower_bound(labels.begin(), labels.end(), from);
}

// The density rises only some way into a block of labelled lines whose first lines are thin (indented,
// short), or in the middle of its first line: the region starts at the tag before the first label mark
// that lies within a window of it, so that the extraction, which starts after the first tag, keeps it.
qsizetype StartOfLabelledBlock(const QString& page, const std::vector<qsizetype>& labels, qsizetype start) {
    auto first = std::lower_bound(labels.begin(), labels.end(), start);
    while (first != labels.begin() && *(first - 1) >= start - 2 * HalfWindow)
        start = *--first;
    if (first == labels.end())
        return start;
    const qsizetype tag = page.lastIndexOf(u'<', *first);
    return tag >= 0 && tag >= *first - 2 * HalfWindow ? std::min(tag, start) : start;
}

} // namespace

MainTextRegion LocateMainText(const QString& page) {
    const qsizetype n = page.size();
    if (n < MinPageLength)
        return {};
    const PageMarks pageMarks = MarkVisibleText(page);
    const std::vector<uint8_t>& marks = pageMarks.Marks;

    int density = 0; // at position 200: marks 0 to 399
    for (qsizetype j = 0; j < 2 * HalfWindow; ++j)
        density += marks[j];
    int highest = 0;
    qsizetype riseAt = 0;
    qsizetype bestStart = 0;
    qsizetype bestLength = 0;
    qsizetype bestLabels = 0;
    for (qsizetype i = HalfWindow + 1; i <= n - HalfWindow - 2; ++i) {
        const int previous = density;
        density += marks[i + HalfWindow - 1] - marks[i - HalfWindow - 1];
        if (density > highest)
            highest = density;
        if (previous < DensityThreshold && density >= DensityThreshold) {
            riseAt = i;
        } else if (previous >= DensityThreshold && density < DensityThreshold && riseAt > 0) {
            // A region holding labelled lines is the movie's data: it wins over longer prose and link
            // lists; among such regions the one with the most of them wins.
            const qsizetype labels = LabelMarksIn(pageMarks.LabelMarks, riseAt, i);
            if (labels > bestLabels || (labels == bestLabels && i - riseAt > bestLength)) {
                bestStart = riseAt;
                bestLength = i - riseAt;
                bestLabels = labels;
            }
        }
    }
    if (highest <= MinPeakDensity || bestLength <= 0)
        return {};
    if (bestLabels > 0) {
        const qsizetype start = StartOfLabelledBlock(page, pageMarks.LabelMarks, bestStart);
        return {true, start, bestLength + bestStart - start};
    }
    return {true, bestStart, bestLength};
}

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
