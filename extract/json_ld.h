#pragma once

#include "extract/page_facts.h"
#include "web/html_document.h"

#include <QJsonDocument>
#include <QString>

// Parses the text of a JSON-LD block as pages write it: raw line feeds and tabs inside strings (which
// strict JSON refuses), a comment wrapper or a trailing semicolon around it. Null on failure.
QJsonDocument ParseLenientJson(const QString& text);

// The facts of the first schema.org Movie, TVSeries, TVEpisode or VideoObject among the page's
// application/ld+json blocks (an object, an array or a @graph): name, alternateName, datePublished,
// genre, countryOfOrigin, director, actor, description, image and aggregateRating.
PageFacts ReadJsonLd(const HtmlDocument& doc, const QString& pageUrl);

// The same from one block's text; for the fuzz target.
PageFacts ReadJsonLdText(const QString& text, const QString& pageUrl);
