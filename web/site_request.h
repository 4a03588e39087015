#pragma once

#include "web/ydown.h"

#include <QString>
#include <atomic>

// Asks a site for one page through `down`, as lookups ask: at the site's pace (waiting for its turn
// unless `stop` is set meanwhile), never while the site rests after a refusal, and reading the answer
// for a refusal (a refusing status, a verification or login page). Returns, for the status bar, which
// host refused and why ("movie.douban.com 拒绝：HTTP 429"); empty when the site answered (whatever it
// answered) or the request was stopped. A refused page leaves no output file. With `judgePage` off only
// the reply's status and headers are judged, and the caller reads the page for itself.
QString DownloadFromSite(YDown& down, const QString& url, const QString& outputPath, const QString& header,
                         const std::atomic<bool>* stop, bool judgePage = true);

// Lets `host` rest after refusing (`why`, as a short text), as long as the reply's Retry-After asks
// and at least RefusalRestMs; returns the status-bar note of it.
QString NoteSiteRefusal(const QString& host, const QString& why, const QStringList& replyHeaders = {});
