#include "pages/page_file.h"

#include "library/atomic_file.h"

#include <QDir>

QString FillTemplate(const QString& format, const QStringList& values) {
    QString out;
    out.reserve(format.size());
    qsizetype next = 0;
    qsizetype copied = 0; // the text before this position is in `out`
    // Only "%s" and "%%" are slots; any other percent sign is text.
    for (qsizetype i = format.indexOf(u'%'); i >= 0 && i + 1 < format.size(); i = format.indexOf(u'%', i)) {
        const QChar d = format[i + 1];
        if (d != u'%' && d != u's') {
            ++i;
            continue;
        }
        out += QStringView(format).mid(copied, i - copied);
        if (d == u'%') {
            out += u'%';
        } else {
            if (next < values.size())
                out += values[next];
            ++next;
        }
        i += 2;
        copied = i;
    }
    out += QStringView(format).mid(copied);
    return out;
}

QString WritePage(const QString& fileName, const QString& html) {
    const QString path = QDir::current().absoluteFilePath(fileName);
    if (!WriteFileAtomically(path, html.toUtf8()))
        return {};
    return path;
}
