#include "web/site_pace.h"

#include <QStringView>
#include <algorithm>
#include <chrono>

using namespace Qt::StringLiterals;

namespace {

struct SitePace {
    QStringView Domain; // the host itself or any host below it
    int IntervalMs;
};

// douban bans an address for hours after a burst; the clients that read it for years settled on one
// request each 5 seconds. maoyan shows its verification centre after a few quick requests: the same.
// IMDb's firewall counts requests per address over 5 minutes; one each 4 seconds is 75 of them, below
// the least limit such a rate rule is usually given (100). A lookup asks each site for one page, so a
// pace only slows a run of lookups, never one.
constexpr SitePace PaceTable[] = {
    {u"douban.com", 5000},
    {u"maoyan.com", 5000},
    {u"imdb.com", 4000},
};

const SitePace* PaceOf(QStringView host) {
    for (const SitePace& pace : PaceTable) {
        if (host == pace.Domain || (host.endsWith(pace.Domain) && host.size() > pace.Domain.size() &&
                                    host[host.size() - pace.Domain.size() - 1] == u'.'))
            return &pace;
    }
    return nullptr;
}

QString SiteOf(const QString& host) {
    const SitePace* pace = PaceOf(host);
    return pace ? pace->Domain.toString() : host;
}

qint64 SteadyNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

QString HostOfAddress(const QString& url) {
    qsizetype start = 0;
    if (url.startsWith(u"http://"_s, Qt::CaseInsensitive))
        start = 7;
    else if (url.startsWith(u"https://"_s, Qt::CaseInsensitive))
        start = 8;
    else
        return {};
    qsizetype end = start;
    while (end < url.size() && url[end] != u'/' && url[end] != u'?' && url[end] != u'#')
        ++end;
    QStringView authority = QStringView(url).mid(start, end - start);
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0)
        authority = authority.mid(at + 1);
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon >= 0 && !authority.endsWith(u']'))
        authority = authority.left(colon);
    return authority.toString().toLower();
}

int PaceIntervalMs(const QString& host) {
    const SitePace* pace = PaceOf(host);
    return pace ? pace->IntervalMs : 0;
}

qint64 ReserveTurn(RequestPacing& pacing, const QString& host) {
    const QString site = SiteOf(host);
    std::lock_guard lock(pacing.Mutex);
    const qint64 now = pacing.Now();
    if (pacing.RestUntil.value(site, now) > now)
        return -1;
    const qint64 turn = std::max(now, pacing.NextTurn.value(site, now));
    const int interval = PaceIntervalMs(host);
    if (interval > 0)
        pacing.NextTurn.insert(site, turn + interval);
    return turn - now;
}

void NoteRefusal(RequestPacing& pacing, const QString& host, qint64 retryAfterMs) {
    const QString site = SiteOf(host);
    std::lock_guard lock(pacing.Mutex);
    const qint64 until = pacing.Now() + std::max(RefusalRestMs, retryAfterMs);
    pacing.RestUntil.insert(site, std::max(until, pacing.RestUntil.value(site, until)));
}

RequestPacing& SessionPacing() {
    static RequestPacing pacing{SteadyNow, {}, {}, {}};
    return pacing;
}

void ResetSessionPacing() {
    RequestPacing& pacing = SessionPacing();
    std::lock_guard lock(pacing.Mutex);
    pacing.Now = SteadyNow;
    pacing.NextTurn.clear();
    pacing.RestUntil.clear();
}
