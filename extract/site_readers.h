#pragma once

#include "extract/page_facts.h"
#include "web/html_document.h"

#include <QString>

// Readers of the movie databases' own page structures. Each gives nothing on a page that is not of its
// site's form, so all of them may be tried on any page.

// A douban subject page: the heading (中文名 原名, year), the attributes marked v:…, the #info lines,
// the summary, the #mainpic poster and the page's own stills.
PageFacts ReadDoubanPage(const HtmlDocument& doc, const QString& pageUrl);

// An IMDb title page: the heading, its year, the score, the country of origin, the plot and the poster.
PageFacts ReadImdbPage(const HtmlDocument& doc, const QString& pageUrl);

// A maoyan film page: the brief (name, original name, genres, country and length, release), the plot,
// the score its stars show, the cover and the stills.
PageFacts ReadMaoyanPage(const HtmlDocument& doc, const QString& pageUrl);

// The page's og: meta tags (og:title, og:description, og:image).
PageFacts ReadMetaTags(const HtmlDocument& doc, const QString& pageUrl);

// True when the page's og:type says it is about a film or a show ("video.movie", "video.tv_show").
bool MetaTagsNameAVideo(const HtmlDocument& doc);

// Label and value pairs of an infobox (<dt>/<dd>, two-cell table rows), sorted by the label table.
PageFacts ReadLabelPairs(const HtmlDocument& doc);

// The most stills a database page gives a movie.
inline constexpr int MaxStills = 5;
