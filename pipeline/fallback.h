#pragma once

#include "library/movie_library.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Stage 2: when the listed folders yielded no video, scan the built-in folder list and rewrite "dirs.txt"
// (keeping the lines of folders that are away now) and tell the wall, through FolderListNotice.
void RunFallbackStage(MovieLibrary& library);

// The two halves of stage 2, for a given list of folder-list lines.
void ScanFallbackFolders(MovieLibrary& library, const QStringList& lines);
void RewriteFolderList(MovieLibrary& library);

// The folders where videos were found, each once, sorted by UTF-16 code units, with every folder
// that lies inside a kept one dropped.
QStringList FoldersToList(const std::vector<MovieRecord>& movies);

// The bytes of a folder list: FF FE, then `header` and each folder followed by "\r\n", UTF-16 LE.
QByteArray FolderListBytes(const QString& header, const QStringList& folders);

// Replaces the folder list at `path` atomically, first keeping its previous content as `path` + ".bak"
// (replacing an older backup). An unchanged list is left alone, so a repeated rewrite cannot push the
// user's own lines out of the backup. False when nothing was written.
bool ReplaceFolderList(const QString& path, const QByteArray& bytes);

// The lines of an old folder list that name a folder missing now or a share that is not mounted,
// trimmed, each once; lines of `header` are left out.
QStringList UnreachableLines(const QStringList& lines, const QString& header);

enum class FallbackOutcome { Created, Rewritten, Unchanged, NotWritten };

// The wall's word on a fallback: that the folder list at `path` gave no video, and what was done.
QString FallbackNotice(const QString& path, FallbackOutcome outcome, qsizetype keptLines);
