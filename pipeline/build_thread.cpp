#include "pipeline/build_thread.h"

#include "library/folder_scan.h"
#include "library/network_share.h"
#include "library/split_string.h"
#include "library/user_text.h"
#include "pages/wall_page.h"
#include "pipeline/fallback.h"
#include "pipeline/stages.h"

#include <QFile>
#include <QHash>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 FolderListByteLimit = 10240;
const QString ScanningText = u"搜索目录中，请等待。。。"_s;
const QString CollatingText = u"整理数据，请等待。。。"_s;

// Whole UTF-16 LE characters; the text ends at the first U+0000.
QString FolderListText(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit =
            static_cast<char16_t>(static_cast<uchar>(bytes[i]) | static_cast<uchar>(bytes[i + 1]) << 8);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

// A line as the wall's head names it: without the byte-order mark, the blanks or a password.
QString ShownFolderLine(const QString& line) {
    QString shown = LineForStatus(line).trimmed();
    if (shown.startsWith(QChar(0xFEFF)))
        shown = shown.mid(1).trimmed();
    return shown;
}

// Stage 4. StopRequested is left alone: it starts false with the library, and clearing it here would
// undo a close that came during the scan.
void AnnounceLibraryReady(MovieLibrary& library) {
    {
        // The wall opens in the order and facet the user left it in.
        const WallChoice choice = ReadWallChoice();
        std::lock_guard lock(library.RecordsMutex);
        library.Choice = choice;
    }
    if (library.Host.LibraryReady)
        library.Host.LibraryReady();
    BuildWallPage(library);
}

} // namespace

QStringList ReadFolderList() {
    QFile file(u"dirs.txt"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(FolderListByteLimit);
    const bool utf8 = DetectTextEncoding(bytes) == TextEncoding::Utf8;
    return SplitString(utf8 ? Utf8Text(bytes) : FolderListText(bytes), u'\n');
}

QString LineForStatus(const QString& line) {
    QString start = line.trimmed();
    if (start.startsWith(QChar(0xFEFF)))
        start = start.mid(1);
    if (!IsNetworkLine(start))
        return line;
    // "//nas/video<TAB>user<TAB>password": the status bar, and the console of a headless run, show the
    // share and the user but never the password.
    const qsizetype firstTab = line.indexOf(u'\t');
    const qsizetype secondTab = firstTab < 0 ? -1 : line.indexOf(u'\t', firstTab + 1);
    return secondTab < 0 ? line : line.left(secondTab);
}

void ScanListedFolders(MovieLibrary& library) {
    ShowStatus(library, ScanningText);
    for (const QString& line : ReadFolderList()) {
        if (library.StopRequested)
            return;
        ShowStatus(library, ScanningText + LineForStatus(line));
        const int scannedBefore = library.Counts.FoldersScanned;
        ScanListedFolder(library, line);
        if (library.Counts.FoldersScanned > scannedBefore)
            ++library.Counts.ListedFoldersRead;
        else if (const QString shown = ShownFolderLine(line); !shown.isEmpty() && !library.StopRequested)
            library.UnreadFolders.append(shown); // named in the wall's head; its line stays in "dirs.txt"
    }
}

void CollateFolders(MovieLibrary& library) {
    if (!library.Movies.empty())
        ShowStatus(library, CollatingText);
    // The first summary of each path wins, as a search from the front would find it.
    QHash<QString, const FolderSummary*> byPath;
    byPath.reserve(static_cast<qsizetype>(library.Folders.size()));
    for (const FolderSummary& summary : library.Folders)
        if (!byPath.contains(summary.Path))
            byPath.insert(summary.Path, &summary);
    for (MovieRecord& record : library.Movies) {
        const FolderSummary* summary = byPath.value(record.Folder);
        if (!summary)
            continue;
        record.FolderVideoCount = summary->VideoCount;
        record.FolderImageCount = summary->ImageCount;
        record.FolderSubfolderCount = summary->SubfolderCount;
        record.FolderImage = summary->FirstImage;
    }
    library.Folders = {};
}

void BuildLibrary(MovieLibrary& library) {
    ScanListedFolders(library);
    // A scan cut short by a stop found only part of the library: no fallback may rewrite the user's
    // "dirs.txt" for it, and no wall may replace the complete one of the last run.
    if (library.StopRequested)
        return;
    if (library.Movies.empty())
        RunFallbackStage(library);
    CollateFolders(library);
    AnnounceLibraryReady(library);
}

int BuildLibraryThread(std::shared_ptr<MovieLibrary> library) {
    BuildLibrary(*library);
    RunPipelineStages(library);
    return 1;
}

void RunHeadlessPipeline(std::shared_ptr<MovieLibrary> library) {
    BuildLibrary(*library);
    // A scan cut short by a signal found only part of the library: the wall of the last run stays.
    if (!library->StopRequested)
        RunHeadlessStages(library);
}
