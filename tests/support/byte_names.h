#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <cstdint>
#include <optional>

// File names as an old Windows disk or archive holds them (GBK bytes, not UTF-8), and plain POSIX
// calls on byte paths, so that tests make and check such files without the code under test.

// "电影" and "盗梦空间.2010.mkv" in GBK.
inline const QByteArray GbkFolderName("\xB5\xE7\xD3\xB0");
inline const QByteArray GbkVideoName("\xB5\xC1\xC3\xCE\xBF\xD5\xBC\xE4.2010.mkv");

bool MakeFolderAt(const QByteArray& path);
bool WriteFileAt(const QByteArray& path, const QByteArray& bytes);
bool SparseFileAt(const QByteArray& path, int64_t size);
// The file's bytes; nothing when it cannot be read.
std::optional<QByteArray> ReadFileAt(const QByteArray& path);
// The names in a folder, in byte order.
QByteArrayList NamesAt(const QByteArray& folder);
