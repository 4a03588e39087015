#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// The one temporary folder of this process, created on first use and made the current directory, since
// the program writes its pages and temporary files in the current folder. Removed at exit.
const QString& FuzzFolder();

// The input as text the way the program meets it after decoding: UTF-8.
QString FuzzText(const uint8_t* data, size_t size);

QByteArray FuzzBytes(const uint8_t* data, size_t size);

// Replaces `path` with `bytes` (plain write: the target reads it back at once).
void WriteFuzzFile(const QString& path, const QByteArray& bytes);
