#include "pages/page_file.h"

#include "library/atomic_file.h"

#include <QDir>

QString FillTemplate(const QString& format, const QStringList& values) {
    QString out;
    out.reserve(format.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'%' && i + 1 < format.size()) {
            const QChar d = format[i + 1];
            if (d == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (d == u's') {
                if (next < values.size())
                    out += values[next];
                ++next;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString WritePage(const QString& fileName, const QString& html) {
    const QString path = QDir::current().absoluteFilePath(fileName);
    if (!WriteFileAtomically(path, html.toUtf8()))
        return {};
    return path;
}
