#include "app/temp_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

bool IsOwnTempFileName(const QString& fileName) {
    static const QRegularExpression posterTemp(u"^tem[A-Za-z0-9]{6}\\.tmp$"_s);
    return fileName == u"update.tmp"_s || posterTemp.match(fileName).hasMatch();
}

void DeleteOwnTempFiles(const QString& folder) {
    // The working folder may be one of the user's own folders: only our names, only plain files.
    const QFileInfoList entries = QDir(folder).entryInfoList({u"*.tmp"_s}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& entry : entries)
        if (!entry.isSymLink() && IsOwnTempFileName(entry.fileName()))
            QFile::remove(entry.absoluteFilePath());
}
