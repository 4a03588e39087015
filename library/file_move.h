#pragma once

#include <QString>

// Moves `from` to `to` without ever replacing an existing `to`; the file appears there whole or not
// at all. Across file systems the bytes are copied beside the target first and `from` is removed.
// The moved file gets the mode the umask gives new files. False when nothing was moved.
bool MoveFileWithoutReplacing(const QString& from, const QString& to);
