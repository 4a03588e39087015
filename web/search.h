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

// Reads a results page as code page 936 text, line by line: links are written href="http://…" or
// href="https://…" with the closing quote on the same line; "&amp;" in them stands for "&". A Bing
// click-through address is read as its target; a Sogou one (also written relative to the page of
// `engine`) is kept for ResolveResultLinks. A link holding an exclusion anywhere after its first
// character is dropped; empty list entries are ignored. With `engine` ("bing", "sogou") the first link
// of each organic result comes first in Links, in page order, then every other link in page order.
// Preferred is the first link of Links that starts with a prefix, in either scheme.
SearchResults ReadSearchResults(const QByteArray& page, const QStringList& prefixes, const QStringList& exclusions,
                                const QString& engine = QString());

// Where a Sogou click-through address leads: the engine is asked for it like for any page (redirects on
// its own host followed), and its redirect, refresh element or location script names the target.
// Empty when the reply names no web address.
QString ResolveSogouLink(const QString& link, const std::atomic<bool>* stop = nullptr);

// `links` with each Sogou click-through address replaced by its target, asking for at most the first
// ten distinct ones; an address beyond them, one without a target and one whose target holds an
// exclusion are left out. Other links stay as they are.
QStringList ResolveResultLinks(const QStringList& links, const QStringList& exclusions,
                               const std::atomic<bool>* stop = nullptr);

// The request address for `text` on "bing" or "sogou" (after replacing . - [ ] 【 】 by blanks);
// empty for any other engine.
QString SearchAddress(const QString& engine, QString text);

// Asks one engine about `text`: downloads the results page to "tempsearch.html", keeps a copy beside
// the video (FilePath + ".search.htm"), appends every acceptable link to `links` and returns the first
// preferred link, "blocked" for the verification page, or empty. `pageRead`, when given, tells whether
// a results page (not the verification page) was read at all. An engine that refuses (a refusing status,
// its verification page) answers "blocked" and is not asked again for a while; `refusal`, when given,
// tells who refused and why, and is left empty otherwise.
QString SearchTitle(const MovieRecord& record, const QString& engine, QString text, QStringList& links,
                    const std::atomic<bool>* stop = nullptr, bool* pageRead = nullptr, QString* refusal = nullptr);
