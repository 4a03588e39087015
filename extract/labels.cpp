#include "extract/labels.h"

#include <string>
#include <string_view>

const std::array<FieldLabelRow, 16> FieldLabelTable = {{
    {u"IMDB", &MovieRecord::Rating, {}},
    {u"国家", &MovieRecord::CountryOfOrigin, {}},
    {u"地区", &MovieRecord::CountryOfOrigin, {}},
    {u"年代", &MovieRecord::ProductionYear, {}},
    {u"出品年代", &MovieRecord::ProductionYear, {}},
    {u"中文", &MovieRecord::Title, {u"中文简介"}},
    {u"英名", &MovieRecord::OriginalTitle, {}},
    {u"英文", &MovieRecord::OriginalTitle, {}},
    {u"原名", &MovieRecord::OriginalTitle, {}},
    {u"影片原名", &MovieRecord::OriginalTitle, {}},
    {u"译名", &MovieRecord::Title, {}},
    {u"别名", &MovieRecord::OriginalTitle, {}},
    // Prose about the title ("片名的由来", "片名&…") is not the title.
    {u"片名", &MovieRecord::OriginalTitle, {u"片名&", u"片名来", u"片名中的", u"片名的由", u"片名的来", u"片名的意"}},
    {u"影片类型", &MovieRecord::Genres, {}},
    {u"类别", &MovieRecord::Genres, {}},
    {u"类別", &MovieRecord::Genres, {}}, // traditional second character
}};

namespace {

bool RowHolds(const FieldLabelRow& row, QStringView key) {
    if (!key.startsWith(row.Label))
        return false;
    for (QStringView exception : row.Exceptions)
        if (!exception.isEmpty() && key.startsWith(exception))
            return false;
    return true;
}

} // namespace

QString MovieRecord::*FieldForLabelKey(QStringView key) {
    for (const FieldLabelRow& row : FieldLabelTable)
        if (RowHolds(row, key))
            return row.Field;
    return nullptr;
}

const std::array<QStringView, 32> LabelWords = {
    u" ",        u"　",       u"：",       u":",        u"◎",        u"?",        u"】",       u"IMDB评分",
    u"IMDB链接", u"IMDB评",   u"IMDB評分", u"英文原名", u"影片类型", u"影片原名", u"中文译名", u"中文原名",
    u"英文片名", u"中文片名", u"出品年代", u"英文名",   u"中文名",   u"英文片",   u"中文片",   u"地区",
    u"国家",     u"类别",     u"年代",     u"片名",     u"译名",     u"别名",     u"英名",     u"原名",
};

namespace {

// One bit per character class (code unit modulo 64): a label word whose first character's bit is not
// set cannot occur in the value. Removals only take characters away, so the mask stays valid.
quint64 CharacterMask(std::u16string_view text) {
    quint64 mask = 0;
    for (char16_t c : text)
        mask |= quint64(1) << (c % 64);
    return mask;
}

// Removes every occurrence of `word`, matched left to right without overlap in the text as it was
// (QString::remove's rule), with plain searches suited to short values.
void RemoveAll(std::u16string& text, std::u16string_view word) {
    size_t at = text.find(word);
    if (at == std::u16string::npos)
        return;
    std::u16string kept;
    kept.reserve(text.size());
    size_t from = 0;
    for (; at != std::u16string::npos; at = text.find(word, from)) {
        kept.append(text, from, at - from);
        from = at + word.size();
    }
    kept.append(text, from);
    text.swap(kept);
}

} // namespace

QString CleanFieldValue(const QString& value) {
    std::u16string text(reinterpret_cast<const char16_t*>(value.constData()), size_t(value.size()));
    const quint64 present = CharacterMask(text);
    for (QStringView word : LabelWords)
        if (present & (quint64(1) << (word.front().unicode() % 64)))
            RemoveAll(text, std::u16string_view(word.utf16(), size_t(word.size())));
    const size_t separator = text.find_first_of(u"./[");
    // Everything up to and including the first separator goes, unless it leads.
    const size_t start = separator == std::u16string::npos || separator == 0 ? 0 : separator + 1;
    return QString(reinterpret_cast<const QChar*>(text.data() + start), qsizetype(text.size() - start));
}
