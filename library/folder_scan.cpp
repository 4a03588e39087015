#include "library/folder_scan.h"

#include "library/file_name.h"
#include "library/local_store.h"
#include "library/lower_case.h"
#include "library/movie_xml.h"
#include "library/name_order.h"
#include "library/network_share.h"
#include "library/scan_metadata.h"
#include "library/split_string.h"
#include "library/title.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Entries are not extensions to compare with but a string to search: "a.mp" is a video because
// ".mp" occurs in ".mpg".
const QString VideoExtensions = u"rmvb`.avi`.mkv`.wmv`.mpg`.3gp`.mp4`.mp5`.mov`mpeg`.rm"_s;

// Folders already entered by one scan, so that a symbolic link back up the tree is not followed, nor
// a folder that links have made reachable along many paths scanned once per path: a few dozen links
// on a share could otherwise turn one video into millions of records.
using FolderIdentity = std::pair<dev_t, ino_t>;

QString ExpandHome(const QString& line) {
    if (line == u"~")
        return QDir::homePath();
    if (line.startsWith(u"~/"_s))
        return QDir::homePath() + line.mid(1);
    return line;
}

void DropTrailingSeparator(QString& path) {
    if (path.size() > 1 && (path.endsWith(u'/') || (IsNetworkLine(path) && path.endsWith(u'\\'))))
        path.chop(1);
}

// A share is scanned at its local folder; one that is not mounted is a folder that cannot be listed.
void ScanNetworkLine(MovieLibrary& library, const QString& line) {
    QString path = line;
    QString user, password;
    if (line.indexOf(u'\t') > 0) {
        const QStringList parts = SplitString(line, u'\t');
        path = parts.value(0);
        user = parts.value(1);
        password = parts.value(2);
        DropTrailingSeparator(path);
    }
    const std::optional<ShareAddress> share = ParseShareAddress(path);
    if (share && line.indexOf(u'\t') > 0)
        ConnectShare(*share, user, password, &library.StopRequested);
    const QString local = share ? LocalSharePath(*share) : QString();
    if (local.isEmpty()) {
        FolderSummary summary;
        summary.Path = path;
        library.Folders.push_back(summary);
        return;
    }
    ScanFolder(library, local);
}

void AddVideo(MovieLibrary& library, const QString& folder, const QString& fullPath, const QString& name, int folderFd,
              const QSet<QString>& metadataNames, const StoreListing& store) {
    MovieRecord record;
    record.FilePath = fullPath;
    record.FileName = name;
    record.Folder = folder;
    // The title is what the user reads and what the web is searched for: a GBK name shows as its text.
    record.DisplayTitle = TitleFromFileName(ReadableFileName(name));
    record.SearchKey = LowerCase(ReadableFileName(fullPath));
    ReadListedMetadata(library, record, folderFd, metadataNames);
    ReadStoredMetadata(library, record, folderFd, store);
    library.Movies.push_back(std::move(record));
}

enum class EntryKind { Folder, File, Other };

struct Entry {
    QString Name;
    unsigned char Type; // d_type
};

// Classifies an entry, following symbolic links; `size` is filled when the entry had to be stat'ed.
EntryKind KindOf(int dirFd, const Entry& entry, qint64& size) {
    size = -1;
    if (entry.Type == DT_DIR)
        return EntryKind::Folder;
    if (entry.Type == DT_REG)
        return EntryKind::File;
    if (entry.Type != DT_LNK && entry.Type != DT_UNKNOWN)
        return EntryKind::Other;
    struct stat st {};
    if (fstatat(dirFd, EncodeFileName(entry.Name).constData(), &st, 0) != 0)
        return EntryKind::Other; // a dangling link
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    if (!S_ISREG(st.st_mode))
        return EntryKind::Other;
    size = st.st_size;
    return EntryKind::File;
}

// The size and modification time of a file, a link followed; size -1 when it cannot be read.
qint64 FileSize(int dirFd, const QString& name, int64_t& modified) {
    struct stat st {};
    if (fstatat(dirFd, EncodeFileName(name).constData(), &st, 0) != 0)
        return -1;
    modified = static_cast<int64_t>(st.st_mtim.tv_sec);
    return static_cast<qint64>(st.st_size);
}

// The whole listing in name order (the file system's own order is a hash order on Linux), and the
// names of the metadata files in it.
std::vector<Entry> ReadEntries(DIR* dir, QSet<QString>& metadataNames) {
    std::vector<Entry> entries;
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entries.push_back({DecodeFileName(name), entry->d_type}); // byte-exact: a GBK name is kept too
        if (entries.back().Name.endsWith(u".xml"_s))
            metadataNames.insert(entries.back().Name);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return NameLess(a.Name, b.Name); });
    return entries;
}

// A poster the pipeline stored for a video of the folder: "<video>.jpg" or "<video>.N.jpg". Names
// are compared without letter case, since posters written on another system may be lower-cased.
bool BelongsToVideo(const QString& picture, const QSet<QString>& loweredVideos) {
    QString stem = picture.toLower();
    stem.chop(4); // ".jpg"
    if (loweredVideos.contains(stem))
        return true;
    const qsizetype dot = stem.lastIndexOf(u'.');
    if (dot < 0 || dot + 1 == stem.size())
        return false;
    for (qsizetype i = dot + 1; i < stem.size(); ++i)
        if (!stem[i].isDigit())
            return false;
    return loweredVideos.contains(stem.left(dot));
}

// `folder` is the string as received (the summary's Path and the records' Folder); `listed` is the
// cleaned path that is actually listed.
void ScanTree(MovieLibrary& library, const QString& folder, const QString& listed, std::set<FolderIdentity>& entered,
              const StoreListing& store) {
    // A window closed during a long scan must not wait for it: the partial library is dropped.
    if (library.StopRequested)
        return;
    FolderSummary summary;
    summary.Path = folder;
    DIR* dir = opendir(EncodeFileName(listed).constData());
    if (!dir) {
        library.Folders.push_back(summary);
        return;
    }
    const int fd = dirfd(dir);
    struct stat self {};
    if (fstat(fd, &self) == 0 && !entered.insert({self.st_dev, self.st_ino}).second) {
        closedir(dir); // reached again through a link: never entered twice
        return;
    }
    ++library.Counts.FoldersScanned;

    QSet<QString> metadataNames;
    const std::vector<Entry> entries = ReadEntries(dir, metadataNames);
    const QString prefix = listed.endsWith(u'/') ? listed : QString(listed + u'/');
    // The full path of a file is only built when it is needed: the tests look at the last four
    // characters, which for a name of four or more are the name's own, and ".thumb." (which holds no
    // "/") is in the full path when it is in the folder's path or in the name.
    const bool thumbnailFolder = prefix.contains(u".thumb."_s);
    QStringList pictures;
    QSet<QString> loweredVideos;
    for (const Entry& entry : entries) {
        qint64 size = -1;
        const EntryKind kind = KindOf(fd, entry, size);
        if (kind == EntryKind::Other)
            continue;
        if (kind == EntryKind::Folder) {
            ++summary.SubfolderCount;
            const QString fullPath = prefix + entry.Name;
            if (!IsSkippedFolder(fullPath))
                ScanTree(library, fullPath, fullPath, entered, store);
            continue;
        }
        const bool longName = entry.Name.size() >= 4;
        if (longName ? IsVideoFile(entry.Name) : IsVideoFile(prefix + entry.Name)) {
            // Stat'ed once more for a link already: its time is wanted too, and videos are few.
            int64_t modified = 0;
            size = FileSize(fd, entry.Name, modified);
            if (size > MinimumVideoBytes) {
                AddVideo(library, folder, prefix + entry.Name, entry.Name, fd, metadataNames, store);
                library.Movies.back().ModifiedTime = modified;
                loweredVideos.insert(entry.Name.toLower());
                ++summary.VideoCount;
                continue;
            }
        }
        if (longName ? !thumbnailFolder && IsFolderImageFile(entry.Name) : IsFolderImageFile(prefix + entry.Name)) {
            pictures.append(entry.Name);
            ++summary.ImageCount;
        }
    }
    closedir(dir);
    // Another movie's poster is never the folder's picture: it would show on every card of the folder.
    for (const QString& picture : pictures)
        if (!BelongsToVideo(picture, loweredVideos)) {
            summary.FirstImage = prefix + picture;
            break;
        }
    library.Folders.push_back(summary);
}

} // namespace

int ScanListedFolder(MovieLibrary& library, QString line) {
    // The byte-order mark of "dirs.txt" stays on the first line; it is no part of the path.
    line = line.trimmed();
    if (line.startsWith(QChar(0xFEFF)))
        line = line.mid(1).trimmed();
    if (IsNetworkLine(line)) {
        if (line.indexOf(u'\t') < 0)
            DropTrailingSeparator(line);
        ScanNetworkLine(library, line);
        return 0;
    }
    DropTrailingSeparator(line);
    ScanFolder(library, ExpandHome(line));
    return 0;
}

bool NamesMissingFolder(QString line) {
    line = line.trimmed();
    if (line.startsWith(QChar(0xFEFF)))
        line = line.mid(1).trimmed();
    if (line.isEmpty())
        return false;
    if (!IsNetworkLine(line)) {
        DropTrailingSeparator(line);
        return !QFileInfo(ExpandHome(line)).isDir();
    }
    QString path = line.indexOf(u'\t') > 0 ? SplitString(line, u'\t').value(0) : line;
    DropTrailingSeparator(path);
    const std::optional<ShareAddress> share = ParseShareAddress(path);
    const QString local = share ? LocalSharePath(*share) : QString();
    return local.isEmpty() || !QFileInfo(local).isDir();
}

void ScanFolder(MovieLibrary& library, const QString& folder) {
    QString listed = folder;
    if (listed.startsWith(QChar(0xFEFF)))
        listed.remove(0, 1);
    listed = listed.trimmed();
    if (listed.isEmpty())
        return;
    std::set<FolderIdentity> entered;
    const StoreListing store{LocalStoreEntries(), LocalStoreRoot()};
    ScanTree(library, folder, listed, entered, store);
}

bool IsVideoFile(const QString& path) {
    return LowerTailOccursIn(path, 4, VideoExtensions) || LowerTailOccursIn(path, 3, VideoExtensions);
}

bool IsFolderImageFile(const QString& path) {
    return path.size() >= 4 && LowerTailOccursIn(path, 4, u".jpg") && !path.contains(u".thumb."_s);
}

bool IsSkippedFolder(const QString& path) {
    if (path.contains(u"RECYCLE"_s))
        return true;
    for (const QStringView part : QStringView(path).split(u'/'))
        if (part == u".Trash" || part.startsWith(u".Trash-"))
            return true;
    return false;
}
