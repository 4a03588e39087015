#pragma once

#include <QByteArray>
#include <QString>

// Files a user may write by hand or with another tool ("dirs.txt", the metadata files). Reelboard
// writes them as UTF-16 LE; Linux editors save UTF-8.
enum class TextEncoding { Utf16Le, Utf8, Unknown };

// UTF-16 LE when the bytes start with FF FE or hold a zero byte (UTF-8 text never does: every "<" or
// "/" of UTF-16 text has one); UTF-8 when they are valid UTF-8, byte-order mark optional (a character
// cut off at the very end, as a read limit leaves it, is allowed); Unknown otherwise.
TextEncoding DetectTextEncoding(const QByteArray& bytes);

// The UTF-8 text of `bytes`, without its byte-order mark; a character cut off at the end is dropped.
QString Utf8Text(const QByteArray& bytes);
