#include "library/file_access.h"

#include "library/file_name.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PathExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(EncodeFileName(path).constData(), &st) == 0;
}

bool OpenForReading(QFile& file, const QString& path) {
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

QStringList FileNamesIn(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(EncodeFileName(folder).constData());
    if (!dir)
        return names;
    const int fd = dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            file = ::fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (file)
            names << DecodeFileName(entry->d_name);
    }
    ::closedir(dir);
    return names;
}
