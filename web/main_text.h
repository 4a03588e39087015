#pragma once

#include "web/html_text.h"

#include <QString>

// Where the main text of a page lies, in characters of its shown text.
struct MainTextRegion {
    bool Found = false;
    qsizetype Start = 0;
    qsizetype Length = 0;
};

// Finds the longest stretch of the shown text where text outside links is dense: each marked character
// counts 1, the density at a position is the count over the 400 positions around it, and a region runs
// from a rise to 50 or more to the next fall below 50; some position must reach a density above 200.
// The text is taken as if blank positions stood before and after it, as the page's markup does.
// A region holding "◎" lines wins over longer prose and link lists, and among those the one with the
// most such lines. The region returned covers whole lines. Linear in the length.
MainTextRegion LocateMainText(const VisibleText& text);
