#include "tests/support/read_only_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool Run(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(u"mount"_s, arguments);
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool Unmount(const QString& path) {
    QProcess process;
    process.start(u"umount"_s, {path});
    return process.waitForFinished(20000) && process.exitCode() == 0;
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
        mounted_ = Run({u"--bind"_s, source, mountPoint});
        if (mounted_ && Run({u"-o"_s, u"remount,bind,ro"_s, mountPoint}) && !CanWrite(mountPoint)) {
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
        Run({u"-o"_s, u"remount,bind,rw"_s, mountPoint_});
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
