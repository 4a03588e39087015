#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <mutex>

// After a refusal a site is left alone this long at least (longer when its Retry-After says so).
inline constexpr qint64 RefusalRestMs = 60000;

// What the lookups of this session know about the sites they ask: when each may be asked next, and
// which rest after refusing. A site is a movie database's domain (one pace and one rest for all its
// hosts, as it bans an address site-wide) or else the host itself.
struct RequestPacing {
    std::function<qint64()> Now; // milliseconds on a clock that never goes back
    std::mutex Mutex;
    QHash<QString, qint64> NextTurn;  // site -> earliest time of its next request
    QHash<QString, qint64> RestUntil; // site -> end of its rest
};

// The lower-case host of an "http://" or "https://" address, without user or port; empty otherwise.
QString HostOfAddress(const QString& url);

// The least time between two requests to `host`, from the built-in table of movie databases; 0 for
// every other host (engines and download sites are asked as they come).
int PaceIntervalMs(const QString& host);

// Takes the next turn to ask `host`: the milliseconds to wait before sending the request (0: now), or
// -1 while the site rests, in which case no turn is taken.
qint64 ReserveTurn(RequestPacing& pacing, const QString& host);

// `host` refused a request: its site rests for RefusalRestMs or `retryAfterMs`, whichever is longer.
void NoteRefusal(RequestPacing& pacing, const QString& host, qint64 retryAfterMs);

// The one pacing of this process, on the steady clock.
RequestPacing& SessionPacing();
// Forgets every turn and rest of SessionPacing (a new session, as far as the sites are concerned).
void ResetSessionPacing();
