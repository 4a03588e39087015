#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// The stored form of the built-in texts: characters ":" (0x3A) to "y" (0x79), each one 6-bit digit;
// three digits make one 16-bit unit. A unit is (d0 << first) | (d1 << second) | d2, truncated to 16 bits,
// with the shifts taken from the row (unit index mod 6) of ShiftTable.
struct ShiftRow {
    int first;
    int second;
};
// Every row covers bits 0 to 15 with its three 6-bit fields (d2 always covers bits 0 to 5).
inline constexpr std::array<ShiftRow, 6> ShiftTable{{{10, 6}, {6, 11}, {12, 6}, {5, 10}, {11, 6}, {6, 12}}};

inline constexpr char StoredDigitBase = 0x3A;

// The units themselves; characters that do not fill a triple are ignored and a zero unit ends the text.
// An empty or null stored text gives a null string.
QString DecodeWideText(const char* stored);

// Two characters per unit, high byte first; a zero byte ends the text. Every character is U+0001..U+00FF.
QString DecodeText(const char* stored);

// The inverse of DecodeWideText: three stored characters per UTF-16 unit, no terminator.
// U+0000 cannot be stored (it would end the text) and is dropped.
QByteArray EncodeWideText(const QString& text);

// The inverse of DecodeText. Characters above U+00FF cannot be stored as bytes, so each becomes a
// character reference ("&#12345;", one per code point); U+0000 is dropped. An odd character count
// ends with a unit whose low byte is zero.
QByteArray EncodeText(const QString& text);

// What EncodeText stores for `text` once decoded: the text with the characters above U+00FF
// written as character references.
QString ReferenceWideCharacters(const QString& text);
