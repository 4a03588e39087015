#include "pipeline/fallback.h"

#include "library/atomic_file.h"
#include "library/folder_scan.h"
#include "library/split_string.h"
#include "pages/builtin_texts.h"
#include "pages/text_codec.h"
#include "pipeline/build_thread.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// `folder` is `parent` or lies below it. A plain substring test would also drop a sibling such as
// "/films2" after "/films", or "/data/films" after "/films", and their videos with them.
bool IsSameOrInside(const QString& folder, const QString& parent) {
    if (!folder.startsWith(parent))
        return false;
    if (folder.size() == parent.size() || parent.endsWith(u'/'))
        return true;
    return folder[parent.size()] == u'/';
}

void OpenForEditing(MovieLibrary& library, const QString& path) {
    if (library.Host.OpenFolderList) {
        library.Host.OpenFolderList(path);
        return;
    }
    // No window to open an editor from: say where the file is.
    const QByteArray line = path.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, line.size(), stderr);
}

} // namespace

QStringList FoldersToList(const std::vector<MovieRecord>& movies) {
    // Consecutive records of one folder, and of its subfolders that follow it, give one entry.
    QStringList collected;
    for (const MovieRecord& record : movies) {
        if (!collected.isEmpty() && IsSameOrInside(record.Folder, collected.last()))
            continue;
        collected.append(record.Folder);
    }
    // Ordinal order puts a parent before everything inside it, though not always right before
    // ("/a b" sorts between "/a" and "/a/x"), so each entry is tested against every kept one.
    std::sort(collected.begin(), collected.end());
    QStringList kept;
    for (const QString& folder : collected) {
        const bool inside =
            std::any_of(kept.cbegin(), kept.cend(), [&](const QString& k) { return IsSameOrInside(folder, k); });
        if (!inside)
            kept.append(folder);
    }
    return kept;
}

QByteArray FolderListBytes(const QString& header, const QStringList& folders) {
    QString text = header;
    for (const QString& folder : folders)
        text += folder + u"\r\n"_s;
    QByteArray bytes("\xFF\xFE", 2);
    bytes.reserve(2 + text.size() * 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

bool ReplaceFolderList(const QString& path, const QByteArray& bytes) {
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return false;
        const QByteArray previous = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return false;
        if (previous == bytes)
            return true;
        // The user's lines (with their credentials) must survive a start on which every listed
        // folder was offline. No backup, no replacement.
        if (!WriteFileAtomically(path + u".bak"_s, previous))
            return false;
    }
    return WriteFileAtomically(path, bytes);
}

void ScanFallbackFolders(MovieLibrary& library, const QStringList& lines) {
    for (const QString& line : lines) {
        if (library.StopRequested)
            return;
        ShowStatus(library, u"搜索目录中，请等待。。。"_s + line);
        ScanListedFolder(library, line);
    }
}

QStringList UnreachableLines(const QStringList& lines, const QString& header) {
    QSet<QString> headerLines;
    for (const QString& line : SplitString(header, u'\n'))
        headerLines.insert(line.trimmed());
    QStringList kept;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QChar(0xFEFF)))
            line = line.mid(1).trimmed();
        if (line.isEmpty() || headerLines.contains(line) || kept.contains(line))
            continue;
        if (NamesMissingFolder(line))
            kept.append(line);
    }
    return kept;
}

QString FallbackNotice(const QString& path, FallbackOutcome outcome, qsizetype keptLines) {
    QString notice = outcome == FallbackOutcome::Created ? u"没有找到目录文件 %1，已扫描默认目录，并新建了这个文件"_s
                                                         : u"目录文件 %1 所列的目录中没有找到视频，已扫描默认目录"_s;
    notice = notice.arg(path);
    if (outcome == FallbackOutcome::Rewritten)
        notice += u"，并重写了这个文件（原文件保存为 dirs.txt.bak）"_s;
    else if (outcome == FallbackOutcome::NotWritten)
        notice += u"，但未能改写这个文件"_s;
    if (keptLines > 0 && outcome != FallbackOutcome::NotWritten)
        notice += u"；现在找不到的目录和连接不上的共享（%1 行）仍留在其中，恢复后会再次扫描"_s.arg(keptLines);
    return notice + u"。请修改后重新启动本程序。"_s;
}

void RewriteFolderList(MovieLibrary& library) {
    const QString path = QDir::current().absoluteFilePath(u"dirs.txt"_s);
    const QString header = DecodeWideText(FolderListHeader);
    QFile old(path);
    const bool existed = old.exists();
    const QByteArray previous = existed && old.open(QIODevice::ReadOnly) ? old.readAll() : QByteArray();
    old.close();
    // Lines of a disk or server that is away now stay, after the folders found: they are scanned again
    // once it is back.
    const QStringList kept = UnreachableLines(ReadFolderList(), header);
    QStringList folders = FoldersToList(library.Movies);
    for (const QString& line : kept)
        if (!folders.contains(line))
            folders.append(line);
    const QByteArray bytes = FolderListBytes(header, folders);
    FallbackOutcome outcome = FallbackOutcome::NotWritten;
    if (ReplaceFolderList(path, bytes))
        outcome = !existed            ? FallbackOutcome::Created
                  : previous == bytes ? FallbackOutcome::Unchanged
                                      : FallbackOutcome::Rewritten;
    {
        std::lock_guard lock(library.RecordsMutex);
        library.FolderListNotice = FallbackNotice(path, outcome, kept.size());
    }
    ShowStatus(library, u"请修改目录文件DIRS.TXT"_s);
    OpenForEditing(library, path);
}

void RunFallbackStage(MovieLibrary& library) {
    if (!library.Movies.empty())
        return;
    ScanFallbackFolders(library, SplitString(DecodeText(DefaultFolderList), u'\n'));
    // A scan cut short by closing the window would write an incomplete list over the user's file.
    if (library.StopRequested)
        return;
    RewriteFolderList(library);
}
