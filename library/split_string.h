#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// Splits on one separator. A separator at position 0 yields nothing; every later separator closes the
// current element, even an empty one; the last element is kept only when it is not empty.
// "a,,b" -> a, "", b;  ",a" -> a;  "a," -> a.  The element count is the list's size.
QStringList SplitString(const QString& text, QChar separator);
