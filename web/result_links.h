#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Addresses as the engines write them on their results pages: plain links, and the engines' own
// click-through addresses that stand for a result.

// True when `link` starts with "http://" or "https://" (exactly, lower case).
bool IsWebAddress(const QString& link);

// True when `link` starts with `prefix`, where a prefix written with either scheme matches a link of
// either scheme ("http://a/" matches "https://a/x").
bool StartsWithSiteAddress(const QString& link, const QString& prefix);

// A Bing click-through address (host bing.com or *.bing.com, path "/ck/a", a "u=a1…" parameter holding
// the base64url of the target): the target when it is a web address, an empty string when the
// parameter is unreadable or names no web address; nothing when `link` is no such address.
std::optional<QString> BingResultTarget(const QString& link);

// True for a Sogou click-through address: host sogou.com or *.sogou.com and a path of "/link?url=…".
// Its target is not in the page; the engine names it in its reply.
bool IsSogouResultLink(const QString& link);

// The address a click-through reply sends the browser to: a refresh element ("0;URL=…") or a script
// that sets or replaces the location, whichever comes first. Empty when neither names a web address.
QString ReadRedirectReply(const QByteArray& reply);
