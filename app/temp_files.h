#pragma once

#include <QString>

// Whether `fileName` is a temporary file Reelboard creates in its working folder: "update.tmp" or a
// poster download temporary ("tem" + six letters or digits + ".tmp", as mkstemps names them).
bool IsOwnTempFileName(const QString& fileName);

// Deletes Reelboard's own temporary files from `folder`; every other file, ".tmp" or not, stays.
void DeleteOwnTempFiles(const QString& folder);
