#pragma once

#include "library/movie_library.h"

#include <QString>
#include <QStringList>

// The pieces of a movie's film page (the detail view), each in the place of the detail body's slot.

// The poster large, then the stills as a row of small pictures; each opens large in the page.
QString FilmPictures(const QStringList& pictures);

// Under the heading: the original title and the year, as far as the movie has them.
QString FilmSubtitle(const MovieRecord& movie);

// The plot as prose under its heading, then the labelled lines of the overview as rows (a cast as its
// first five names and a "全部" link), then the way to look the movie up again. A movie the lookup
// did not find is offered a search of its own words first, and the results to pick from. `scriptPath`
// is the FilePath escaped for a script string in an attribute.
QString FilmOverview(const MovieRecord& movie, const QString& scriptPath, const LookupChoices& choices);

// The watched mark, set or cleared in one click.
QString WatchedToggle(const MovieRecord& movie, const QString& scriptPath);
