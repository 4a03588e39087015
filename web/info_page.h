#pragma once

#include "library/movie_record.h"

#include <QString>
#include <atomic>

// Where the main text of a page lies, in UTF-16 code units of the page text.
struct MainTextRegion {
    bool Found = false;
    qsizetype Start = 0;
    qsizetype Length = 0;
};

// Finds the longest stretch of the page where visible text is dense: each visible, non-blank character
// outside tags, scripts and the head counts 1, the density at a position is the count over the 400
// positions around it, and a region runs from a rise to 50 or more to the next fall below 50. The page
// must be at least 410 characters long and reach a density above 200 somewhere. Linear in the length.
MainTextRegion LocateMainText(const QString& page);

// Tries one candidate information page: downloads it to "tempdown.html", keeps a copy beside the video
// (FilePath + ".info.htm"), decodes it by its declared charset and locates its main text. When one is
// found, stores the page's ftp links, picture addresses and address in the record, extracts the fields
// from the main text and returns true. Works on the given record only.
// A stop request makes it return false without touching the record.
bool FetchInfoPage(MovieRecord& record, const QString& url, const std::atomic<bool>* stop = nullptr);
