#include "library/file_access.h"

#include "library/file_name.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PathExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(EncodeFileName(path).constData(), &st) == 0;
}

bool ReadWholeFile(int folderFd, const QString& path, QByteArray& bytes, struct stat* info) {
    // O_NONBLOCK: a named pipe in place of the file must not hang the scan; it is refused below.
    const int fd = ::openat(folderFd, EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        bytes.resize(static_cast<qsizetype>(st.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        bytes.truncate(done); // a file that shrank while it was read
        if (info)
            *info = st;
    }
    ::close(fd);
    return ok;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
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
