#include "tests/support/temp_folder.h"

#include "library/file_access.h"
#include "library/file_name.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// On the path's own bytes, so that tests can name files that are not UTF-8.
void MakeFolders(const QString& path) {
    const QByteArray bytes = EncodeFileName(path);
    for (qsizetype slash = bytes.indexOf('/', 1); slash > 0; slash = bytes.indexOf('/', slash + 1))
        ::mkdir(bytes.left(slash).constData(), 0777);
    ::mkdir(bytes.constData(), 0777);
}

QString FolderOf(const QString& path) {
    return path.left(path.lastIndexOf(u'/'));
}

// A new or emptied file at `path`, open for writing through `file`.
bool Create(QFile& file, const QString& path) {
    MakeFolders(FolderOf(path));
    const int fd = ::open(EncodeFileName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
}

} // namespace

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
    QFile f;
    ASSERT_TRUE(Create(f, full)) << full.toStdString();
    f.write(bytes);
}

void TempFolder::sparse(const QString& relative, int64_t size) const {
    const QString full = file(relative);
    QFile f;
    ASSERT_TRUE(Create(f, full)) << full.toStdString();
    ASSERT_TRUE(f.resize(size));
}

void TempFolder::mkdir(const QString& relative) const {
    MakeFolders(file(relative));
}

QByteArray TempFolder::read(const QString& relative) const {
    QByteArray bytes;
    ReadWholeFile(AT_FDCWD, file(relative), bytes);
    return bytes;
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
