#include "library/local_store.h"

#include "library/atomic_file.h"
#include "library/file_access.h"
#include "library/file_name.h"

#include <QCryptographicHash>
#include <QDir>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString SourceName = u"source"_s;

bool MakeFolder(const QString& path) {
    return ::mkdir(EncodeFileName(path).constData(), 0700) == 0 || errno == EEXIST;
}

} // namespace

QString LocalStoreRoot() {
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    // The base directory rules ignore a relative value.
    const QString base = cache.startsWith('/') ? DecodeFileName(cache) : QDir::homePath() + u"/.cache"_s;
    return base + u"/reelboard"_s;
}

QString LocalStoreKey(const QString& path, qint64 size, qint64 modifiedNs) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(EncodeFileName(path));
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(QByteArray(QByteArray::number(size) + ' ' + QByteArray::number(modifiedNs)));
    return QString::fromLatin1(hash.result().toHex());
}

QString LocalStoreFolderOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(EncodeFileName(path).constData(), &st) != 0)
        return {};
    const qint64 modified = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return LocalStoreRoot() + u'/' + LocalStoreKey(path, st.st_size, modified);
}

QSet<QString> LocalStoreEntries() {
    QSet<QString> names;
    DIR* dir = ::opendir(EncodeFileName(LocalStoreRoot()).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.')
            names.insert(QString::fromLatin1(entry->d_name));
    ::closedir(dir);
    return names;
}

bool MakeLocalStoreFolder(const QString& folder, const QString& source) {
    const QString root = LocalStoreRoot();
    if (!PathExists(root)) {
        const qsizetype slash = root.lastIndexOf(u'/');
        MakeFolder(root.left(slash)); // the cache folder itself, as a fresh account lacks it
        MakeFolder(root);
    }
    if (!MakeFolder(folder))
        return false;
    const QString sourceFile = folder + u'/' + SourceName;
    return PathExists(sourceFile) || WriteFileAtomically(sourceFile, EncodeFileName(source) + '\n');
}

void RemoveLocalStoreFolder(const QString& folder) {
    const QByteArray path = EncodeFileName(folder);
    for (const QString& name : FileNamesIn(folder))
        ::unlink(QByteArray(path + '/' + EncodeFileName(name)).constData());
    ::rmdir(path.constData());
}

bool FolderWritable(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = slash < 0 ? u"."_s : slash == 0 ? u"/"_s : path.left(slash);
    return ::access(EncodeFileName(folder).constData(), W_OK) == 0;
}
