#pragma once

#include <QByteArray>
#include <QString>

// Code page 936 (GBK) bytes to text; empty when the input is empty. Invalid sequences become U+FFFD.
QString AnsiToWide(const QByteArray& bytes);
// Code page 950 (Big5) bytes to text.
QString Big5ToWide(const QByteArray& bytes);
QString Utf8ToWide(const QByteArray& bytes);
QByteArray WideToUtf8(const QString& text);
// A downloaded page to text, by the charset it declares (see the probe rules in encodings.cpp).
QString DecodePageBytes(const QByteArray& bytes);
// Search text to the query form the engines expect.
QString EncodeQuery(QString text);
