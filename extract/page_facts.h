#pragma once

#include <QString>
#include <QStringList>

// What one reader found on an information page, before it becomes the record's fields. Values are as
// shown on the page; the labelled-line reader keeps its lines' labels, as the metadata file always has.
struct PageFacts {
    QString Title;
    QString OriginalTitle;
    QString Year;
    QString Countries; // the whole list, "美国 / 英国"
    QString Genres;
    QString Rating; // with source and scale: "豆瓣 8.9/10"
    QString Plot;
    QStringList Lines;   // labelled lines for the overview, "导演: 某某"
    QStringList Posters; // picture addresses, best first
    QStringList Stills;
};

// Fills each empty field of `into` from `from`; lines whose label `into` has not got yet are appended,
// and pictures not yet listed.
void FillMissing(PageFacts& into, const PageFacts& from);

// A list of values as one shown value: items trimmed, empty and repeated ones left out, " / " between.
QString JoinedList(const QStringList& items);

// Every plausible year (four digits, 1870 to 2099, not inside a longer number) in `text`, in order.
QStringList YearsIn(const QString& text);

// The first plausible year (four digits, 1870 to 2099, not inside a longer number) in `text`, or empty.
QString YearIn(const QString& text);

// The earlier of two years, either of which may be empty.
QString EarlierYear(const QString& a, const QString& b);

// A score as the user sees it: "豆瓣 8.9/10"; empty when `value` holds no number (an empty or hidden score).
QString ScoreText(const QString& source, const QString& value, const QString& scale);

// `address` as the browser resolves it against the page's address; empty unless http or https.
QString ResolvedAddress(const QString& pageUrl, const QString& address);

// The name a score is shown with: the database's own name for the ones users know, else the page's host.
QString SiteName(const QString& pageUrl);
