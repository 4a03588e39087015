#include "library/split_string.h"

QStringList SplitString(const QString& text, QChar separator) {
    QStringList parts;
    // A separator at position 0 yields nothing; an empty element is a null string.
    qsizetype start = !text.isEmpty() && text.front() == separator ? 1 : 0;
    for (qsizetype at = text.indexOf(separator, start); at >= 0; at = text.indexOf(separator, start)) {
        parts.append(at == start ? QString() : text.mid(start, at - start));
        start = at + 1;
    }
    if (start < text.size())
        parts.append(text.mid(start));
    return parts;
}
