#pragma once

#include <QString>
#include <QStringList>

// Fills a page template whose only slots are "%s" (taken in order) and whose literal percent sign is
// "%%". Values are inserted as given: they are never read as format strings.
QString FillTemplate(const QString& format, const QStringList& values);

// Writes `html` as UTF-8 without byte-order mark to `fileName` in the working folder, atomically.
// Returns the file's full path, or the empty string when it could not be written.
QString WritePage(const QString& fileName, const QString& html);
