#pragma once

#include <QString>

// Pages written for the tests in the forms the movie databases and download sites use (never copies of
// real pages). Each holds the values of one made-up film, with the surroundings that mislead a naive
// reader: inline style and script blocks, avatars, recommendations of other films, review sections.

// A subject page of a database of the 2021 form: JSON-LD in the head (raw line feeds inside its strings,
// the re-release date as datePublished), the heading "中文名 原名" with the year, #info lines with an
// "IMDb:" id, a score, a short and a long summary, the poster and seven stills.
QString DatabasePage2021();

// The 2018 form of the same database: no JSON-LD, an "IMDb链接:" line, a film with only a Chinese title
// and no score yet.
QString DatabasePage2018();

// An English title page whose data is only in JSON-LD (a @graph) and in hundreds of small elements.
QString EnglishTitlePage();

// A ticket site's film page: the brief block, a score drawn by a web font, stars as wide as the score,
// the cover and lazy stills.
QString TicketSitePage();

// A download site's page whose labelled lines each stand in a <div> with a long style attribute, one
// value broken by a source line feed, an alias line before the title line and no translated title.
QString StyledDownloadPage();

// An encyclopaedia's article with an infobox of <dt>/<dd> pairs and a two-cell table.
QString EncyclopaediaPage();
