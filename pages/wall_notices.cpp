#include "pages/wall_notices.h"

#include "library/file_name.h"
#include "pages/escape.h"

using namespace Qt::StringLiterals;

QString WallHeadNotices(const MovieLibrary& library) {
    QStringList notices;
    if (!library.FolderListNotice.isEmpty())
        notices << EscapeHtml(library.FolderListNotice);
    if (!library.UnreadFolders.isEmpty()) {
        QStringList names;
        for (const QString& folder : library.UnreadFolders)
            names << EscapeHtml(ReadableFileName(folder));
        notices << u"无法读取的目录（其中的视频这次没有列出，保存的信息仍在）："_s + names.join(u"、"_s);
    }
    qsizetype kept = 0;
    for (const MovieRecord& record : library.Movies)
        kept += record.StoreFolder.isEmpty() ? 0 : 1;
    if (kept > 0)
        notices << u"%1 部视频所在的文件夹不能写入，它们的信息保存在本机"_s.arg(kept);
    return notices.join(u' ');
}
