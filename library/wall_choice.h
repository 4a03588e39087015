#pragma once

#include <QString>

// How the wall is ordered and which facet narrows it; kept in the working folder for the next start.
struct WallChoice {
    QString Sort; // "" (scan order), "title", "year", "rating" or "added"
    bool Descending = false;
    QString Facet;      // "" (none), "genre", "country" or "decade"
    QString FacetValue; // a genre, a country, or a decade's first year ("1990")
};

inline constexpr char16_t WallChoiceFileName[] = u"wall_choice.txt";

// The choice stored in "wall_choice.txt" of the working folder; the default when there is none or
// it names an unknown order or facet.
WallChoice ReadWallChoice();

// Replaces "wall_choice.txt"; false when it could not be written.
bool WriteWallChoice(const WallChoice& choice);

// The choice after a page command: a sort ("year-desc", "title", "" for scan order) or a facet
// ("genre`剧情", "" to leave it). Unknown orders and facets leave the choice as it was.
WallChoice WithSort(WallChoice choice, const QString& sort);
WallChoice WithFacet(WallChoice choice, const QString& facet);
