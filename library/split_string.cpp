#include "library/split_string.h"

QStringList SplitString(const QString& text, QChar separator) {
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != separator) {
            current += c;
        } else if (i > 0) {
            parts.append(current);
            current.clear();
        }
    }
    if (!current.isEmpty())
        parts.append(current);
    return parts;
}
