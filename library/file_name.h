#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// A Linux file name is bytes, not text: a disk or archive from another system may hold names in GBK.
// Qt decodes them as UTF-8 and turns every other byte into U+FFFD, which nothing can turn back, so
// every path Reelboard keeps is decoded here instead, and every path handed to the file system is
// encoded here.

// Valid UTF-8 decodes as QString::fromUtf8 does; each byte that is not part of a valid UTF-8 sequence
// becomes a lone low surrogate U+DC80..U+DCFF, which no valid UTF-8 produces.
QString DecodeFileName(QByteArrayView bytes);

// The exact inverse of DecodeFileName: the bytes the file system spells the name with.
QByteArray EncodeFileName(QStringView name);

// True for a character DecodeFileName made of a byte that was not UTF-8.
inline bool IsFileNameByte(QChar c) {
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}

// True when `path` holds a byte that is not UTF-8.
bool HoldsFileNameBytes(QStringView path);

// A name or path for the eye (titles, tooltips, headings, search text): each part between slashes
// that holds bytes other than UTF-8 is read as GB18030 (which GBK names are) when its bytes are valid
// GB18030, else those bytes show as U+FFFD. Never a path to open.
QString ReadableFileName(const QString& path);
