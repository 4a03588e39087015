#pragma once

#include "library/movie_record.h"

#include <QString>
#include <QStringList>
#include <atomic>

inline constexpr char16_t NothingExtractedText[] = u"错误：提取不到信息";
inline constexpr char16_t SearchFailedText[] = u"错误：搜索不到相关信息";

// The text searched for a movie: its file name, followed by a blank and the folder's own name when the
// folder has no subfolders and at most 10 videos.
QString SearchTextFor(const MovieRecord& record);

// Searches "bing", then "sogou" unless bing gave a preferred link; appends every acceptable link to
// `links` and returns the preferred link or empty. `searched`, when given, tells whether some engine
// answered with a results page. `refusals`, when given, gets a note of each engine that refused.
QString FindInfoUrl(const MovieRecord& record, QStringList& links, const std::atomic<bool>* stop = nullptr,
                    bool* searched = nullptr, QStringList* refusals = nullptr);

// The whole web lookup of one movie, on the record given (the caller runs it on a copy and stores the
// result): the preferred link first, then every other distinct link in the order found, until one
// page gives a title or an overview. When nothing was found and Overview is still empty, Overview gets
// an error text. A site that refused (an engine or a candidate page) is no answer: when no information
// was found, Overview gets the text that has the movie looked up again at the next start, and
// `refusals` (when given) notes who refused and why. Writes no metadata file: the caller stores the
// result once. Always returns 1.
int FetchMovieInfo(MovieRecord& record, const std::atomic<bool>* stop = nullptr, QStringList* refusals = nullptr);
