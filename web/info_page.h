#pragma once

#include "library/movie_record.h"

#include <QString>
#include <atomic>

// Tries one candidate information page: downloads it to "tempdown.html", keeps a copy beside the video
// (FilePath + ".info.htm"), decodes it by its declared charset and reads it (ExtractMovieInfo). When the
// page gives a title or an overview, its fields, pictures, ftp links and address go into the record and
// the result is true; otherwise the record is left as it was, so the next candidate may be tried. Works
// on the given record only and writes no metadata file. A stop request makes it return false. A site
// that refuses (a refusing status, a verification or login page) gives no page: false, and `refusal`
// (when given) tells who refused and why; it is left empty otherwise.
bool FetchInfoPage(MovieRecord& record, const QString& url, const std::atomic<bool>* stop = nullptr,
                   QString* refusal = nullptr);
