#include "library/movie_xml.h"

#include "extract/labels.h"
#include "library/atomic_file.h"
#include "library/file_access.h"
#include "library/file_name.h"
#include "library/lower_case.h"
#include "library/user_text.h"

#include <QtEndian>
#include <array>

using namespace Qt::StringLiterals;

namespace {

struct MovieXmlElement {
    QStringView Name;
    QString MovieRecord::*Field;
    bool Cleaned; // label words are stripped from the short fields when they are read back
};

// File order.
constexpr size_t ElementCount = 12;

const std::array<MovieXmlElement, ElementCount> Elements = {{
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

const QString DocumentStart = u"<?xml version=\"1.0\" encoding=\"Unicode\"?>\n<Collection><DVD>"_s;

// The byte-order mark, then the text as UTF-16 LE.
QByteArray Utf16LeBytes(const QString& text) {
    QByteArray bytes(2 + text.size() * 2, Qt::Uninitialized);
    bytes[0] = '\xFF';
    bytes[1] = '\xFE';
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data() + 2);
    return bytes;
}

// The same path with its file-name part lower-cased.
QString LowerCaseNamePath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return path.left(slash + 1) + path.mid(slash + 1).toLower();
}

QString Utf16LeText(const QByteArray& bytes) {
    // A trailing odd byte is taken with a zero high byte; the text ends at the first U+0000.
    QString text(bytes.size() / 2 + bytes.size() % 2, Qt::Uninitialized);
    char16_t* units = reinterpret_cast<char16_t*>(text.data());
    qFromLittleEndian<char16_t>(bytes.constData(), bytes.size() / 2, units);
    if (bytes.size() % 2)
        units[text.size() - 1] = static_cast<uchar>(bytes.back());
    const qsizetype end = text.indexOf(QChar(0));
    if (end >= 0)
        text.truncate(end);
    return text;
}

// First position of every element's opening and closing tag in one pass over the "<" of the text;
// the same positions as a search for each tag from the start.
struct TagPositions {
    std::array<qsizetype, ElementCount> Open;
    std::array<qsizetype, ElementCount> Close;
};

TagPositions FindTags(QStringView text) {
    TagPositions found;
    found.Open.fill(-1);
    found.Close.fill(-1);
    for (qsizetype at = text.indexOf(u'<'); at >= 0; at = text.indexOf(u'<', at + 1)) {
        const bool closing = at + 1 < text.size() && text[at + 1] == u'/';
        const QStringView rest = text.mid(at + (closing ? 2 : 1));
        auto& firstAt = closing ? found.Close : found.Open;
        for (size_t i = 0; i < ElementCount; ++i) {
            const QStringView name = Elements[i].Name;
            if (firstAt[i] < 0 && rest.size() > name.size() && rest[name.size()] == u'>' && rest.startsWith(name))
                firstAt[i] = at;
        }
    }
    return found;
}

// A metadata file that another tool (or the user) wrote may hold more than the twelve fields, or text
// that could not be read at all: before it is first replaced, its bytes are kept beside it, once.
void KeepForeignFile(const QString& path) {
    // Everything up to the first value is the same in every file Reelboard writes.
    static const QByteArray start = Utf16LeBytes(DocumentStart + u"<Title>"_s);
    QByteArray bytes;
    if (!ReadWholeFile(AT_FDCWD, path, bytes) || bytes.isEmpty() || bytes.startsWith(start))
        return;
    const QString backup = path + u".bak"_s;
    if (PathExists(backup))
        return;
    WriteFileAtomically(backup, bytes);
}

} // namespace

QString SideFileBase(const MovieRecord& record) {
    if (record.StoreFolder.isEmpty())
        return record.FilePath;
    return record.StoreFolder + u'/' + record.FilePath.mid(record.FilePath.lastIndexOf(u'/') + 1);
}

QString MetadataPath(const MovieRecord& record) {
    return SideFileBase(record) + u".xml"_s;
}

QString SearchKeyOf(const MovieRecord& record) {
    return LowerCase(ReadableFileName(record.FilePath) + record.Title + record.OriginalTitle + record.CountryOfOrigin +
                     record.ProductionYear + record.Genres + record.Overview + record.Notes);
}

QByteArray MovieXmlBytes(const MovieRecord& record) {
    QString text = DocumentStart;
    for (const MovieXmlElement& element : Elements)
        text += u'<' + element.Name + u'>' + record.*element.Field + u"</"_s + element.Name + u'>';
    text += u"</DVD></Collection>\n"_s;
    return Utf16LeBytes(text);
}

bool WriteMovieXml(MovieRecord& record) {
    record.SearchKey = SearchKeyOf(record);
    const QString path = MetadataPath(record);
    const QByteArray bytes = MovieXmlBytes(record);
    KeepForeignFile(path);
    return WriteFileAtomically(path, bytes);
}

void ReadMovieXml(MovieRecord& record) {
    const QString path = MetadataPath(record);
    if (!ReadMovieXmlAt(record, AT_FDCWD, path) && record.StoreFolder.isEmpty()) {
        const QString lowered = LowerCaseNamePath(path);
        if (lowered != path)
            ReadMovieXmlAt(record, AT_FDCWD, lowered);
    }
}

bool ReadMovieXmlAt(MovieRecord& record, int folderFd, const QString& fileName) {
    QByteArray bytes;
    if (!ReadWholeFile(folderFd, fileName, bytes))
        return false;
    ParseMovieXml(record, bytes);
    return true;
}

void ParseMovieXml(MovieRecord& record, const QByteArray& bytes) {
    const QString text = DetectTextEncoding(bytes) == TextEncoding::Utf8 ? Utf8Text(bytes) : Utf16LeText(bytes);
    const TagPositions tags = FindTags(text);
    for (size_t i = 0; i < ElementCount; ++i) {
        const MovieXmlElement& element = Elements[i];
        const qsizetype start = tags.Open[i];
        const qsizetype end = tags.Close[i];
        QString& field = record.*element.Field;
        if (start >= 0 && end > start) {
            const qsizetype valueStart = start + element.Name.size() + 2;
            field = text.mid(valueStart, end - valueStart);
        }
        if (element.Cleaned)
            field = CleanFieldValue(field);
    }
    record.SearchKey = SearchKeyOf(record);
}
