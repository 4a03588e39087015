#pragma once

#include <QByteArray>
#include <QString>

// Replaces `path` with `bytes` through a temporary file in the same folder and a rename, so that
// readers and crashes only ever see the old or the new content. Returns false and leaves the old
// file untouched on any failure.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);
