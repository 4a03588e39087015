#pragma once

#include <QByteArray>
#include <QString>

// The update server's reply (code page 936 bytes, read up to the first zero byte) as the notice the
// wall shows. Empty when nothing converts.
QString UpdateNoticeFromReply(const QByteArray& reply);

// Keeps the notice's formatting markup but nothing that can run script or reach the page's bridge to
// the program: only a few text tags survive, with a few harmless attributes, links only to http and
// https addresses; scripts, styles, comments, event handlers and every other tag are dropped, and a
// stray "<" is shown as text. The reply comes over plain HTTP from outside, so it is never trusted.
QString SanitizeNoticeMarkup(const QString& markup);
