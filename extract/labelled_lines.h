#pragma once

#include "extract/page_facts.h"

#include <QString>
#include <QStringList>

// The data of a download site's page: one labelled line per item ("◎译　　名　某某"), the plot after
// "◎简　　介". Fields hold their whole line, label included, as the metadata file always has.
struct LabelledLines {
    PageFacts Facts;         // Title, OriginalTitle, Year, Countries, Genres, Rating
    QStringList Overview;    // every other line, in page order
    bool Labelled = false;   // a line named a field
    qsizetype LinesRead = 0; // the lines before the download section that ended the data
};

// Sorts the lines of a page's main text: a line whose first characters name a field (the label table)
// replaces that field whole; a line of 255 characters or more and every other line go to the overview.
// The download section after the data ends it, a line holding the posting date is left out, and an alias
// ("又名", "别名") is never a title.
LabelledLines ReadLabelledLines(const QStringList& lines);
