#pragma once

#include "library/movie_record.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>

// The answer of SearchTitle when the engine showed its verification-code page instead of results.
inline constexpr char16_t SearchBlockedResult[] = u"blocked";

// The links of one results page: every acceptable link in page order, the first one that starts with
// a preferred prefix, and whether the page asked for a verification code (reading stops there).
struct SearchResults {
    QStringList Links;
    QString Preferred;
    bool Blocked = false;
};

// Reads a results page as code page 936 text, line by line: links are written href="http://…" with
// the closing quote on the same line; "&amp;" in them stands for "&"; a link holding an exclusion
// anywhere after its first character is dropped; empty list entries are ignored.
SearchResults ReadSearchResults(const QByteArray& page, const QStringList& prefixes, const QStringList& exclusions);

// The request address for `text` on "bing" or "sogou" (after replacing . - [ ] 【 】 by blanks);
// empty for any other engine.
QString SearchAddress(const QString& engine, QString text);

// Asks one engine about `text`: downloads the results page to "tempsearch.html", keeps a copy beside
// the video (FilePath + ".search.htm"), appends every acceptable link to `links` and returns the first
// preferred link, "blocked" for the verification page, or empty. `pageRead`, when given, tells whether
// a results page (not the verification page) was read at all.
QString SearchTitle(const MovieRecord& record, const QString& engine, QString text, QStringList& links,
                    const std::atomic<bool>* stop = nullptr, bool* pageRead = nullptr);
