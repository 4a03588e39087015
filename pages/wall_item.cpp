#include "pages/wall_item.h"

#include "extract/labels.h"
#include "library/thumbnail.h"
#include "pages/escape.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

QString BracketText(const MovieRecord& record) {
    const QString text = u'[' + CleanFieldValue(record.CountryOfOrigin) + CleanFieldValue(record.ProductionYear) + u']';
    return text == u"[]" ? QString() : text;
}

QString WallPicture(const MovieRecord& record) {
    if (record.FolderVideoCount < 2)
        return record.FolderImage;
    const QString poster = record.FilePath + u".jpg"_s;
    // In a crowded folder the first image is rarely this movie's: better no picture until the poster comes.
    if (record.FolderVideoCount > 10 || record.FolderImageCount > 20 || QFileInfo::exists(poster))
        return poster;
    return record.FolderImage;
}

QString WallThumbnail(const MovieRecord& record) {
    if (record.FolderVideoCount >= 2) {
        const QString poster = record.FilePath + u".jpg"_s;
        if (QFileInfo::exists(poster))
            return MakeThumbnailOfExisting(poster);
    }
    return MakeThumbnail(WallPicture(record));
}

QString WallItemMarkup(const MovieRecord& record, const QString& thumbnail) {
    return WallItemMarkup(record, thumbnail, BracketText(record));
}

QString WallItemMarkup(const MovieRecord& record, const QString& thumbnail, const QString& bracket) {
    // Every value is escaped for where it lands: the path is a script string inside a double-quoted
    // attribute, the tooltip lines a single-quoted attribute, the link text plain HTML text.
    const QString path = EscapeScriptInAttribute(record.FilePath);
    QString item;
    item.reserve(512 + 2 * path.size());
    item += u"<div class=d><a href='#' onclick=\"javascript:external.ExtCommand(1,&quot;"_s;
    item += path;
    item += u"&quot;);\"  title='"_s;
    item += EscapeHtml(record.FileName);
    for (const QString* line : {&record.Title, &record.OriginalTitle, &record.CountryOfOrigin, &record.ProductionYear,
                                &record.Rating, &record.Genres}) {
        item += u'\n';
        item += EscapeHtml(*line);
    }
    item += u"'><img src='"_s;
    item += EscapeHtml(FileUrl(thumbnail));
    item += u"' width=117 height=165 onload='AutoResizeImage(117,165,this)'></a><a href='#' class='s' onclick=\""
            u"javascript:external.ExtCommand(2,&quot;"_s;
    item += path;
    item += u"&quot;);return false;\" title='播放'>"_s;
    item += EscapeHtml(bracket);
    item += EscapeHtml(record.DisplayTitle);
    item += u"</a></div>\n"_s;
    return item;
}

QString MakeWallItem(const MovieRecord& record) {
    return WallItemMarkup(record, MakeThumbnail(WallPicture(record)));
}
