#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// File system calls on paths spelt as DecodeFileName spells them (library/file_name.h): Qt's own file
// classes would re-encode a name that is not UTF-8 and miss the file.

// The path names something, a link followed (as QFileInfo::exists).
bool PathExists(const QString& path);

// Opens `file` on the file at `path` for reading; false when it cannot be opened.
bool OpenForReading(QFile& file, const QString& path);

// The names of the files in `folder`, hidden ones and links to files included, in the order the file
// system gives; empty when it cannot be listed.
QStringList FileNamesIn(const QString& folder);
