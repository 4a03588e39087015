#include "library/movie_xml.h"

#include "extract/labels.h"
#include "library/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <array>

using namespace Qt::StringLiterals;

namespace {

struct MovieXmlElement {
    QStringView Name;
    QString MovieRecord::*Field;
    bool Cleaned; // label words are stripped from the short fields when they are read back
};

// File order.
const std::array<MovieXmlElement, 12> Elements = {{
    {u"Title", &MovieRecord::Title, true},
    {u"OriginalTitle", &MovieRecord::OriginalTitle, true},
    {u"CountryOfOrigin", &MovieRecord::CountryOfOrigin, true},
    {u"ProductionYear", &MovieRecord::ProductionYear, true},
    {u"Rating", &MovieRecord::Rating, true},
    {u"Genres", &MovieRecord::Genres, true},
    {u"Overview", &MovieRecord::Overview, false},
    {u"Notes", &MovieRecord::Notes, false},
    {u"watched", &MovieRecord::watched, false},
    {u"infourl", &MovieRecord::infourl, false},
    {u"movieurl", &MovieRecord::movieurl, false},
    {u"picurl", &MovieRecord::picurl, false},
}};

QString MetadataPath(const MovieRecord& record) {
    return record.FilePath + u".xml"_s;
}

// The same path with its file-name part lower-cased.
QString LowerCaseNamePath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return path.left(slash + 1) + path.mid(slash + 1).toLower();
}

QString Utf16LeText(const QByteArray& bytes) {
    // A trailing odd byte is taken with a zero high byte; the text ends at the first U+0000.
    QString text(bytes.size() / 2 + bytes.size() % 2, Qt::Uninitialized);
    qsizetype length = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        const auto low = static_cast<uchar>(bytes[i]);
        const auto high = i + 1 < bytes.size() ? static_cast<uchar>(bytes[i + 1]) : uchar(0);
        const char16_t unit = static_cast<char16_t>(low | (high << 8));
        if (unit == 0)
            break;
        text[length++] = QChar(unit);
    }
    text.truncate(length);
    return text;
}

bool ReadWholeFile(const QString& path, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return true;
}

} // namespace

QString SearchKeyOf(const MovieRecord& record) {
    return (record.FilePath + record.Title + record.OriginalTitle + record.CountryOfOrigin + record.ProductionYear +
            record.Genres + record.Overview + record.Notes)
        .toLower();
}

QByteArray MovieXmlBytes(const MovieRecord& record) {
    QString text = u"<?xml version=\"1.0\" encoding=\"Unicode\"?>\n<Collection><DVD>"_s;
    for (const MovieXmlElement& element : Elements)
        text += u'<' + element.Name + u'>' + record.*element.Field + u"</"_s + element.Name + u'>';
    text += u"</DVD></Collection>\n"_s;

    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append("\xFF\xFE", 2);
    for (QChar c : std::as_const(text)) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

bool WriteMovieXml(MovieRecord& record) {
    record.SearchKey = SearchKeyOf(record);
    return WriteFileAtomically(MetadataPath(record), MovieXmlBytes(record));
}

void ReadMovieXml(MovieRecord& record) {
    QByteArray bytes;
    const QString path = MetadataPath(record);
    if (!ReadWholeFile(path, bytes)) {
        const QString lowered = LowerCaseNamePath(path);
        if (lowered == path || !ReadWholeFile(lowered, bytes))
            return;
    }
    const QString text = Utf16LeText(bytes);
    for (const MovieXmlElement& element : Elements) {
        const QString open = u'<' + element.Name + u'>';
        const QString close = u"</"_s + element.Name + u'>';
        const qsizetype start = text.indexOf(open);
        const qsizetype end = text.indexOf(close);
        QString& field = record.*element.Field;
        if (start >= 0 && end > start)
            field = text.mid(start + open.size(), end - start - open.size());
        if (element.Cleaned)
            field = CleanFieldValue(field);
    }
    record.SearchKey = SearchKeyOf(record);
}
