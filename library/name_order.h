#pragma once

#include <QString>

// The order a folder is listed in: letters compared without case first, then exactly. It is the
// order listings have on the system the collections come from, and the one a user expects of a wall;
// Linux file systems list in hash order.
bool NameLess(const QString& a, const QString& b);
