#pragma once

// The two versions of every file the rewrite loop replaces, shared by the loop and the test that
// kills it. The versions differ in length and content, so that a cut or mixed file matches neither.

#include "library/movie_record.h"
#include "library/movie_xml.h"
#include "pipeline/fallback.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

inline constexpr int RewriteMovieCount = 3;
inline const QString RewritePageName = QStringLiteral("menu.html");
inline const QString RewritePicture = QStringLiteral("poster.jpg");
inline const QString RewriteThumbnail = QStringLiteral("poster.thumb.jpg");

// The pictures the loop copies to RewritePicture in turn; the test writes them before it starts.
inline QString RewriteSourcePicture(int version) {
    return QStringLiteral("source%1.jpg").arg(version);
}

inline MovieRecord RewriteMovie(int movie, int version) {
    MovieRecord record;
    record.FilePath = QStringLiteral("films/movie%1.mkv").arg(movie);
    record.Title = QStringLiteral("Movie %1 take %2").arg(movie).arg(version);
    record.ProductionYear = QString::number(1990 + version);
    // Long enough that a write takes a while, and of a different length in each version.
    record.Overview = QString(2000 + 3000 * version, QChar(u'a' + version));
    record.Notes = QStringLiteral("notes %1").arg(version);
    return record;
}

inline QByteArray RewriteMovieBytes(int movie, int version) {
    return MovieXmlBytes(RewriteMovie(movie, version));
}

inline QByteArray RewriteFolderList(int version) {
    QStringList folders{QStringLiteral("/srv/films")};
    for (int i = 0; i < 50 * (version + 1); ++i)
        folders << QStringLiteral("/srv/films/version%1/folder%2").arg(version).arg(i);
    return FolderListBytes(QStringLiteral("# list\r\n"), folders);
}

inline QString RewritePage(int version) {
    return QStringLiteral("<html><body>") + QString(100000 * (version + 1), QChar(u'x' + version)) +
           QStringLiteral("</body></html>");
}
