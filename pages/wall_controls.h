#pragma once

#include "library/movie_record.h"
#include "library/wall_choice.h"

#include <QString>
#include <vector>

// Page commands of the wall's sort and facet bar.
inline constexpr int SortCommand = 105;  // argument: "title", "year-desc", ... ("" for scan order)
inline constexpr int FacetCommand = 106; // argument: "genre`剧情", ... ("" leaves the facet)

// The label a facet value is shown with ("1990" as "1990年代").
QString FacetValueLabel(const QString& facet, const QString& value);

// The sort and facet bar of a wall or filter page; `movies` are those the facet chooses from (the
// whole library, or the search's matches), for the values and their counts.
QString WallControls(const WallChoice& choice, const std::vector<MovieRecord>& movies);

// The wall or filter page's movies as chosen: those of the facet value, in the chosen order.
std::vector<MovieRecord> ChosenMovies(std::vector<MovieRecord> movies, const WallChoice& choice);
