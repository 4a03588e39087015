#include "app/page_guard.h"

#include <QDir>

using namespace Qt::StringLiterals;

bool IsOwnPage(const QUrl& url) {
    if (url.scheme() == u"data")
        return true;
    if (!url.isLocalFile())
        return false;
    const QString path = url.toLocalFile();
    for (const QString& name : {u"menu.html"_s, u"detail.html"_s, u"menu_search.html"_s})
        if (path == QDir::current().absoluteFilePath(name))
            return true;
    return false;
}

bool IsWebAddress(const QUrl& url) {
    return url.scheme() == u"http" || url.scheme() == u"https";
}
