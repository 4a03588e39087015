#pragma once

#include <QString>

// Replaces the 29 named character references that information pages use most by their characters.
// Nothing else is decoded: "&amp;", "&quot;", "&lt;", "&gt;", numeric references and every other name
// stay as they are.
QString DecodeEntities(const QString& text);
