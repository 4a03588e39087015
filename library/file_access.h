#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <fcntl.h>
#include <sys/stat.h>

// File system calls on paths spelt as DecodeFileName spells them (library/file_name.h): Qt's own file
// classes would re-encode a name that is not UTF-8 and miss the file.

// The path names something, a link followed (as QFileInfo::exists).
bool PathExists(const QString& path);

// The whole regular file at `path` (relative to the folder open as `folderFd`, or AT_FDCWD) in
// `bytes`; false when it cannot be opened or is not a regular file. Plain POSIX calls from open to
// close: the scan reads thousands of these, and a descriptor handed to Qt would be closed where the
// thread checker cannot see it. `info`, when given, gets the status of the very file that was read.
bool ReadWholeFile(int folderFd, const QString& path, QByteArray& bytes, struct stat* info = nullptr);

// Writes all of `bytes` to the open descriptor `fd`; false on any failure.
bool WriteAll(int fd, const QByteArray& bytes);

// The names of the files in `folder`, hidden ones and links to files included, in the order the file
// system gives; empty when it cannot be listed.
QStringList FileNamesIn(const QString& folder);
