#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Why a site's answer is not the page asked for but a refusal of the request, as a short text for the
// status bar ("HTTP 429", "要求验证", ...); empty when the answer is no refusal.

// By the reply alone: 403, 418 and 429, and a 202 carrying a firewall's challenge header (its body is
// empty, so it would read as a page without text). `headers` are "Name: value" lines.
QString RefusalOfReply(int status, const QStringList& headers);

// By the page a 200 reply brought: a verification, "abnormal requests" or login page, told by its
// title, its visible wording and its forms. A page with plenty of visible text is never one: a movie
// page that links to a login or mentions a verification code is still the movie's page.
QString RefusalOfPage(const QString& page);

// How long a "Retry-After" value (seconds, or an HTTP date) asks the client to wait, in milliseconds;
// 0 when absent or unreadable. At most a week.
qint64 RetryAfterMs(const QStringList& headers, const QDateTime& nowUtc);

// The value of the first header line named `name` (without case), trimmed; empty when none.
QString HeaderValue(const QStringList& headers, QStringView name);
