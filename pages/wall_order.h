#pragma once

#include "library/movie_record.h"
#include "library/wall_choice.h"

#include <QString>
#include <QStringList>
#include <vector>

// The year a movie is from (the first year from 1880 to 2099 in its ProductionYear), or 0.
int MovieYear(const MovieRecord& movie);

// The values a movie holds for a facet: its genres, its countries, or its decade ("1990").
QStringList FacetValues(const MovieRecord& movie, const QString& facet);

// Keeps the movies that hold the chosen facet value (all of them without a facet), in order.
std::vector<MovieRecord> WithFacetValue(std::vector<MovieRecord> movies, const WallChoice& choice);

// Orders the movies as chosen; ties, and every order's movies without the value (no year, no
// rating), keep the order they came in, the latter at the end either way.
void SortMovies(std::vector<MovieRecord>& movies, const WallChoice& choice);

// One value of a facet and how many of the movies hold it.
struct FacetCount {
    QString Value;
    int Count = 0;
};

// The values the movies hold for `facet`, most held first (then in name order; decades newest
// first), at most `limit` of them.
std::vector<FacetCount> CountFacet(const std::vector<MovieRecord>& movies, const QString& facet, int limit);
