#pragma once

#include "library/movie_record.h"
#include "tests/support/http_server.h"

#include <QStringList>

// What the test web tells about one movie.
struct FakeMovieInfo {
    QString overview;
    QStringList pictures; // absolute image addresses on the page
};

// Makes the test server answer the web lookup of `movie` with an information page holding `info`.
void ServeLookup(TestHttpServer& server, const MovieRecord& movie, const FakeMovieInfo& info);
// The address of the information page ServeLookup serves for `movie`.
QString InfoPageUrl(const MovieRecord& movie);
// How many information pages were fetched for `movie`.
int InfoPageHits(const TestHttpServer& server, const MovieRecord& movie);
