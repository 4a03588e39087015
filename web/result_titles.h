#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The text of each link of a results page, by the address it leads to (a Bing click-through address
// as its target): the first non-empty text of each, tags removed and entities decoded.
QHash<QString, QString> ReadResultTitles(const QByteArray& page);

// The host of a web address ("www.example.com"), or empty.
QString SiteOf(const QString& url);
