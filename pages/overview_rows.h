#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One labelled line of an overview, as the film page shows it: "导演" and its names.
struct OverviewRow {
    QString Label;
    QStringList Values; // the line's value, and for a list (cast, awards) the lines that continue it
};

// An overview read for showing: the prose of the plot, and the labelled lines an information page
// left in it (director, writer, cast, language, length, release dates, aliases, IMDb, file format and
// size...). Lines look like "◎导　　演　Name" or "导演: Name".
struct OverviewParts {
    QStringList Plot; // paragraphs, in order
    std::vector<OverviewRow> Rows;
};

OverviewParts SplitOverview(const QString& overview);

// The names of a row's values: each value split at "/" (a cast line lists several), trimmed.
QStringList RowNames(const OverviewRow& row);
