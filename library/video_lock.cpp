#include "library/video_lock.h"

#include "library/file_name.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

VideoLock::VideoLock(const QString& video) {
    // Not blocking on open: a named pipe in the video's place must not hang the write.
    Fd = ::open(EncodeFileName(video).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (Fd < 0)
        return;
    while (::flock(Fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

VideoLock::~VideoLock() {
    if (Fd >= 0)
        ::close(Fd); // releases the lock
}
