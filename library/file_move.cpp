#include "library/file_move.h"

#include "library/file_access.h"
#include "library/file_mode.h"
#include "library/file_name.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// rename() that never replaces an existing `to`. Falls back to a plain check-then-rename on file
// systems without the no-replace flag.
bool RenameWithoutReplacing(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    struct stat st {};
    if (::stat(to.constData(), &st) == 0)
        return false;
    return ::rename(from.constData(), to.constData()) == 0;
}

} // namespace

bool MoveFileWithoutReplacing(const QString& from, const QString& to) {
    const QByteArray source = EncodeFileName(from);
    const QByteArray target = EncodeFileName(to);
    // A download's temporary file, or a file of the private store, is private.
    ::chmod(source.constData(), NewFileMode());
    if (RenameWithoutReplacing(source, target))
        return true;
    if (errno != EXDEV)
        return false;
    QByteArray part = target + ".XXXXXX";
    const int fd = mkstemp(part.data());
    if (fd < 0)
        return false;
    ::fchmod(fd, NewFileMode());
    QByteArray bytes;
    bool copied = ReadWholeFile(AT_FDCWD, from, bytes) && WriteAll(fd, bytes);
    copied = ::close(fd) == 0 && copied;
    if (!copied || !RenameWithoutReplacing(part, target)) {
        ::unlink(part.constData());
        return false;
    }
    ::unlink(source.constData());
    return true;
}
