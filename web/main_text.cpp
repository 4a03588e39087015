#include "web/main_text.h"

#include <algorithm>
#include <vector>

namespace {

constexpr qsizetype HalfWindow = 200; // the window runs from i - 200 to i + 199
constexpr int DensityThreshold = 50;
constexpr int MinPeakDensity = 200; // the highest density must exceed it
// Blank positions taken before and after the text, as its page's markup stands there: enough for the
// window to rise before the text's first character and fall after its last.
constexpr qsizetype Margin = 2 * HalfWindow + 2;
constexpr char16_t LabelMark = u'◎'; // starts a labelled line

qsizetype LabelMarksIn(const std::vector<qsizetype>& labels, qsizetype from, qsizetype to) {
    return std::lower_bound(labels.begin(), labels.end(), to) - std::lower_bound(labels.begin(), labels.end(), from);
}

// The density rises some way before a block of labelled lines, or only inside it when its first lines
// are short: the region starts with the first label mark within a window of the rise.
qsizetype StartOfLabelledBlock(const std::vector<qsizetype>& labels, qsizetype rise) {
    auto first = std::lower_bound(labels.begin(), labels.end(), rise - 2 * HalfWindow);
    return first == labels.end() ? rise : *first;
}

} // namespace

MainTextRegion LocateMainText(const VisibleText& text) {
    const qsizetype shown = text.Text.size();
    // Marks with the blank margins; positions below are those of the margin-padded text.
    const qsizetype n = shown + 2 * Margin;
    std::vector<uint8_t> marks(static_cast<size_t>(n), 0);
    std::copy(text.Marks.begin(), text.Marks.end(), marks.begin() + Margin);
    std::vector<qsizetype> labels;
    for (qsizetype i = 0; i < shown; ++i)
        if (text.Text[i] == LabelMark)
            labels.push_back(i + Margin);

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
        highest = std::max(highest, density);
        if (previous < DensityThreshold && density >= DensityThreshold) {
            riseAt = i;
        } else if (previous >= DensityThreshold && density < DensityThreshold && riseAt > 0) {
            const qsizetype labelCount = LabelMarksIn(labels, riseAt, i);
            if (labelCount > bestLabels || (labelCount == bestLabels && i - riseAt > bestLength)) {
                bestStart = riseAt;
                bestLength = i - riseAt;
                bestLabels = labelCount;
            }
        }
    }
    if (highest <= MinPeakDensity || bestLength <= 0)
        return {};
    qsizetype start = bestStart;
    if (bestLabels > 0)
        start = StartOfLabelledBlock(labels, bestStart);
    qsizetype end = bestStart + bestLength;
    // Back to the shown text's positions. The window reaches past the dense text into its neighbours:
    // their partial lines are cut off, a labelled block starts with the whole line of its first mark.
    start = std::clamp<qsizetype>(start - Margin, 0, shown);
    end = std::clamp<qsizetype>(end - Margin, 0, shown);
    const QString& all = text.Text;
    const qsizetype lineOfStart = start > 0 ? all.lastIndexOf(u'\n', start - 1) + 1 : 0;
    qsizetype from = lineOfStart;
    if (bestLabels == 0 && from < start) {
        const qsizetype next = all.indexOf(u'\n', start);
        from = next < 0 ? shown : next + 1;
    }
    qsizetype to = end >= shown ? shown : (all[end] == u'\n' ? end : all.lastIndexOf(u'\n', end));
    if (to <= from) {
        // The region lies inside one line: that line.
        from = lineOfStart;
        to = all.indexOf(u'\n', end);
        if (to < 0)
            to = shown;
    }
    if (to <= from)
        return {};
    return {true, from, to - from};
}
