#include "pages/wall_item.h"

#include "extract/labels.h"
#include "library/file_access.h"
#include "library/file_name.h"
#include "library/movie_xml.h"
#include "library/thumbnail.h"
#include "pages/card_marks.h"
#include "pages/escape.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// Most values hold nothing to escape; they are then taken as they are, without a copy.
QString Html(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '&' || u == '<' || u == '>' || u == '"' || u == '\'')
            return EscapeHtml(text);
    }
    return text;
}

// FileUrl, without building a QUrl for every item of a large wall: an absolute local path is
// percent-encoded as the bytes the file system spells it with (UTF-8, or a name's own bytes), keeping what a URL path
// may hold as it is (unreserved characters, sub-delimiters, ":", "@", "/" and the brackets). Paths starting with "//"
// name a host in a file URL, and characters outside the first plane are rare: FileUrl decides for both.
QString PictureUrl(const QString& path) {
    const bool surrogates =
        std::any_of(path.cbegin(), path.cend(), [](QChar c) { return c.isSurrogate() && !IsFileNameByte(c); });
    if (!path.startsWith(u'/') || path.startsWith(u"//"_s) || surrogates)
        return FileUrl(path);
    static constexpr char kept[] = "-._~!$&'()*+,;=:@/[]";
    static constexpr char hex[] = "0123456789ABCDEF";
    QString url = u"file://"_s;
    url.reserve(7 + path.size() + path.size() / 4);
    for (const char byte : EncodeFileName(path)) {
        const auto b = static_cast<unsigned char>(byte);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
            (b != 0 && std::strchr(kept, b))) {
            url += QLatin1Char(char(b));
        } else {
            url += u'%';
            url += QLatin1Char(hex[b >> 4]);
            url += QLatin1Char(hex[b & 15]);
        }
    }
    return url;
}

} // namespace

QString BracketText(const MovieRecord& record) {
    // A list of countries shows its first.
    const QString text =
        u'[' + FirstListItem(CleanFieldValue(record.CountryOfOrigin)) + CleanFieldValue(record.ProductionYear) + u']';
    return text == u"[]" ? QString() : text;
}

QString WallPicture(const MovieRecord& record) {
    const QString poster = SideFileBase(record) + u".jpg"_s;
    if (record.FolderVideoCount < 2) {
        // The scan found no picture in the folder: the poster downloaded since is the movie's picture.
        if (record.FolderImage.isEmpty() && PathExists(poster))
            return poster;
        return record.FolderImage;
    }
    // In a crowded folder the first image is rarely this movie's: better no picture until the poster comes.
    if (record.FolderVideoCount > 10 || record.FolderImageCount > 20 || PathExists(poster))
        return poster;
    return record.FolderImage;
}

QString WallThumbnail(const MovieRecord& record) {
    if (record.FolderVideoCount >= 2) {
        const QString poster = SideFileBase(record) + u".jpg"_s;
        if (PathExists(poster))
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
    item += Html(ReadableFileName(record.FileName));
    for (const QString* line : {&record.Title, &record.OriginalTitle, &record.CountryOfOrigin, &record.ProductionYear,
                                &record.Rating, &record.Genres}) {
        item += u'\n';
        item += Html(CleanFieldValue(*line)); // as the next start reads it back
    }
    item += u"'><img src='"_s;
    item += Html(PictureUrl(thumbnail));
    // Fetched and decoded only near the view: a wall of thousands opens and scrolls without holding
    // every picture at once.
    item += u"' width=117 height=165 loading=lazy decoding=async onload='AutoResizeImage(117,165,this)'>"_s;
    item += CardMarks(record);
    item += u"</a><a href='#' class='s' onclick=\"javascript:external.ExtCommand(2,&quot;"_s;
    item += path;
    item += u"&quot;);return false;\" title='播放'>"_s;
    item += Html(bracket);
    item += Html(CardTitle(record));
    item += u"</a></div>\n"_s;
    return item;
}

QString MakeWallItem(const MovieRecord& record) {
    return WallItemMarkup(record, MakeThumbnail(WallPicture(record)));
}
