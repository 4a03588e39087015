#include "tests/support/read_only_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The mount calls themselves, not the mount program: a test that forked a child would carry the
// thread checker's after-fork state into the rest of its run.
bool BindMount(const QString& source, const QString& target) {
    return ::mount(QFile::encodeName(source).constData(), QFile::encodeName(target).constData(), nullptr, MS_BIND,
                   nullptr) == 0;
}

bool Remount(const QString& target, bool readOnly) {
    const unsigned long flags = MS_REMOUNT | MS_BIND | (readOnly ? MS_RDONLY : 0);
    return ::mount(nullptr, QFile::encodeName(target).constData(), nullptr, flags, nullptr) == 0;
}

bool Unmount(const QString& path) {
    return ::umount2(QFile::encodeName(path).constData(), 0) == 0;
}

void SetWritable(const QString& root, bool writable) {
    const auto mode =
        writable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner : QFile::ReadOwner | QFile::ExeOwner;
    QDirIterator folders(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    QStringList all{root};
    while (folders.hasNext())
        all << folders.next();
    for (const QString& folder : all)
        QFile::setPermissions(folder, mode);
}

// Whether a file can be made in `folder` by this process.
bool CanWrite(const QString& folder) {
    QFile probe(folder + u"/.probe"_s);
    const bool written = probe.open(QIODevice::WriteOnly);
    probe.remove();
    return written;
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& source, const QString& mountPoint)
    : source_(source), mountPoint_(mountPoint) {
    if (geteuid() == 0) {
        QDir().mkpath(mountPoint);
        mounted_ = BindMount(source, mountPoint);
        if (mounted_ && Remount(mountPoint, true) && !CanWrite(mountPoint)) {
            path_ = mountPoint;
            return;
        }
        reason_ = u"running as root, and no read-only bind mount could be made here"_s;
        return;
    }
    SetWritable(source, false);
    modesChanged_ = true;
    if (CanWrite(source)) {
        reason_ = u"a folder without write permission can still be written here"_s;
        return;
    }
    path_ = source;
}

void ReadOnlyFolder::MakeWritable() {
    if (mounted_) {
        Remount(mountPoint_, false);
    } else if (modesChanged_) {
        SetWritable(source_, true);
        modesChanged_ = false;
    }
}

void ReadOnlyFolder::Remove() {
    if (mounted_ && Unmount(mountPoint_))
        mounted_ = false;
    QDir().rmdir(mountPoint_);
    if (modesChanged_) {
        SetWritable(source_, true);
        modesChanged_ = false;
        QDir().rename(source_, source_ + u".away"_s);
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (mounted_)
        Unmount(mountPoint_);
    if (modesChanged_)
        SetWritable(source_, true);
}
