#include "library/atomic_file.h"

#include "library/file_access.h"
#include "library/file_mode.h"
#include "library/file_name.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A link is replaced through its target, so the link stays.
QByteArray FollowLinks(QByteArray path) {
    for (int depth = 0; depth < 40; ++depth) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length <= 0 || length >= ssize_t(sizeof target))
            return path;
        const QByteArray next(target, length);
        const qsizetype slash = path.lastIndexOf('/');
        path = next.startsWith('/') || slash < 0 ? next : path.left(slash + 1) + next;
    }
    return path;
}

QByteArray FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray RandomSuffix() {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", QRandomGenerator::global()->generate());
    return suffix;
}

// An unnamed file in the target's folder where the file system has them, so that a kill leaves no
// half-written file behind; a named temporary beside the target elsewhere. `named` is then its name.
int CreateTemporary(const QByteArray& target, QByteArray& named) {
    const int fd = ::open(FolderOf(target).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    named = target + ".XXXXXX";
    return ::mkostemp(named.data(), O_CLOEXEC);
}

// Gives the finished unnamed file the target's name: linked there when the name is free, else linked
// beside it and renamed over it, which replaces the old file in one step.
bool LinkUnnamed(int fd, const QByteArray& target) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray beside = target + RandomSuffix();
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, beside.constData(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (::rename(beside.constData(), target.constData()) == 0)
            return true;
        ::unlink(beside.constData());
        return false;
    }
    return false;
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    // On the path's own bytes, so that a name that is not UTF-8 stays itself. The new file takes the
    // old one's mode (the umask's for a new file) and is on disk before it takes the name; a file the
    // user may not write is left alone.
    const QByteArray target = FollowLinks(EncodeFileName(path));
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && ::access(target.constData(), W_OK) != 0)
        return false;
    QByteArray named;
    const int fd = CreateTemporary(target, named);
    if (fd < 0)
        return false;
    (void)::fchmod(fd, exists ? (old.st_mode & 07777) : NewFileMode()); // a share may refuse modes
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (named.isEmpty()) {
        ok = ok && LinkUnnamed(fd, target);
        ::close(fd);
        return ok;
    }
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(named.constData(), target.constData()) == 0)
        return true;
    ::unlink(named.constData());
    return false;
}
