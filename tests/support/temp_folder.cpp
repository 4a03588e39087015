#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TempFolder::TempFolder() : previous_(QDir::currentPath()) {
    EXPECT_TRUE(dir_.isValid());
    QDir::setCurrent(dir_.path());
}

TempFolder::~TempFolder() {
    QDir::setCurrent(previous_);
}

QString TempFolder::file(const QString& relative) const {
    return dir_.path() + u'/' + relative;
}

void TempFolder::write(const QString& relative, const QByteArray& bytes) const {
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << full.toStdString();
    f.write(bytes);
}

void TempFolder::sparse(const QString& relative, int64_t size) const {
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << full.toStdString();
    ASSERT_TRUE(f.resize(size));
}

void TempFolder::mkdir(const QString& relative) const {
    QDir().mkpath(file(relative));
}

QByteArray TempFolder::read(const QString& relative) const {
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray Utf16Le(const QString& text, bool bom) {
    QByteArray bytes;
    if (bom)
        bytes.append("\xFF\xFE", 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}
