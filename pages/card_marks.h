#pragma once

#include "library/movie_record.h"

#include <QString>

// A rating as a card shows it: the number and the scale its source gives ("8.9" of "/10"), and the
// same on a scale of ten for sorting; Normalised is negative when the text holds no usable number.
struct RatingValue {
    QString Number;
    QString Scale;
    double Normalised = -1;
};

// Reads the first number of a (cleaned) Rating value and the "/N" scale after it; without one the
// scale is 10 for numbers up to 10 and 100 for numbers up to 100. A number above its scale is no rating.
RatingValue ReadRating(const QString& rating);

// The title a card and the film page show: the first alternative of the looked-up Title, or the title
// made from the file name until there is one.
QString CardTitle(const MovieRecord& movie);

// Whether the watched mark is set: any value but an empty one or a plain "no".
bool IsWatched(const QString& watched);

// The value the film page's one-click mark stores.
inline constexpr char16_t WatchedMarkValue[] = u"是";

// A lookup ended without information: the overview holds one of the error texts.
bool LookupFoundNothing(const MovieRecord& movie);

// The badges laid over a card's poster: rating, watched mark, "未找到". Empty when none applies.
QString CardMarks(const MovieRecord& movie);
