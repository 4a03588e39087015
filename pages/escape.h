#pragma once

#include <QString>

// Every record value goes through one of these for the place it lands in a page.

// Doubles every backslash; nothing else changes. The first step of putting a path into a script string.
QString EscapeBackslashes(QString path);

// HTML text and attribute values (either quote style): & < > " ' become references.
QString EscapeHtml(const QString& text);

// Contents of a script string literal (either quote style): backslashes doubled, quotes, line breaks,
// "<" and the line separators escaped, so the script receives the value unchanged.
QString EscapeScriptString(const QString& text);

// A script string inside an HTML attribute: script-escaped first, then HTML-escaped, because the
// browser undoes the HTML escaping before the script sees the attribute.
QString EscapeScriptInAttribute(const QString& text);

// A file URL for a picture path, percent-encoded so paths holding "#", "%", "?" or quotes still load.
// Empty for an empty path.
QString FileUrl(const QString& path);
