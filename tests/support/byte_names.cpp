#include "tests/support/byte_names.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool MakeFolderAt(const QByteArray& path) {
    return ::mkdir(path.constData(), 0777) == 0;
}

bool WriteFileAt(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
    return ::close(fd) == 0 && ok;
}

bool SparseFileAt(const QByteArray& path, int64_t size) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, size) == 0;
    return ::close(fd) == 0 && ok;
}

std::optional<QByteArray> ReadFileAt(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray bytes;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, got);
    ::close(fd);
    return bytes;
}

QByteArrayList NamesAt(const QByteArray& folder) {
    QByteArrayList names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                names << QByteArray(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}
