#include "extract/labels.h"

#include <algorithm>
#include <string_view>

const std::array<FieldLabelRow, 19> FieldLabelTable = {{
    // The score's label, in any letter case; the link line after it is no score.
    {u"IMDB", &MovieRecord::Rating, {u"IMDB链接"}},
    {u"国家", &MovieRecord::CountryOfOrigin, {}},
    {u"地区", &MovieRecord::CountryOfOrigin, {}},
    {u"产地", &MovieRecord::CountryOfOrigin, {}},
    {u"年代", &MovieRecord::ProductionYear, {}},
    {u"出品年代", &MovieRecord::ProductionYear, {}},
    {u"中文", &MovieRecord::Title, {u"中文简介"}},
    {u"英名", &MovieRecord::OriginalTitle, {}},
    {u"外文名", &MovieRecord::OriginalTitle, {}},
    {u"英文", &MovieRecord::OriginalTitle, {}},
    {u"原名", &MovieRecord::OriginalTitle, {}},
    {u"影片原名", &MovieRecord::OriginalTitle, {}},
    {u"译名", &MovieRecord::Title, {}},
    // Prose about the title ("片名的由来", "片名&…") is not the title.
    {u"片名", &MovieRecord::OriginalTitle, {u"片名&", u"片名来", u"片名中的", u"片名的由", u"片名的来", u"片名的意"}},
    {u"影片类型", &MovieRecord::Genres, {}},
    {u"电影类型", &MovieRecord::Genres, {}},
    {u"类型", &MovieRecord::Genres, {}},
    {u"类别", &MovieRecord::Genres, {}},
    {u"类別", &MovieRecord::Genres, {}}, // traditional second character
}};

namespace {

// Latin letters compare without case, full-width ones as their ASCII forms ("ＩＭＤＢ", "iMDB").
char16_t Folded(char16_t c) {
    if (c >= 0xFF21 && c <= 0xFF3A)
        c = char16_t(c - 0xFF21 + u'A');
    else if (c >= 0xFF41 && c <= 0xFF5A)
        c = char16_t(c - 0xFF41 + u'A');
    else if (c >= u'a' && c <= u'z')
        c = char16_t(c - 0x20);
    return c;
}

bool StartsWithFolded(QStringView text, QStringView prefix) {
    if (text.size() < prefix.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i)
        if (Folded(text[i].unicode()) != Folded(prefix[i].unicode()))
            return false;
    return true;
}

bool RowHolds(const FieldLabelRow& row, QStringView key) {
    if (!StartsWithFolded(key, row.Label))
        return false;
    for (QStringView exception : row.Exceptions)
        if (!exception.isEmpty() && StartsWithFolded(key, exception))
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

const std::array<QStringView, 31> LabelWords = {
    u"IMDB评分", u"IMDB链接", u"IMDB评",   u"IMDB評分", u"英文原名", u"影片类型", u"影片原名", u"中文译名",
    u"中文原名", u"英文片名", u"中文片名", u"出品年代", u"电影类型", u"英文名",   u"中文名",   u"英文片",
    u"中文片",   u"IMDB",     u"地区",     u"国家",     u"产地",     u"类别",     u"类型",     u"年代",
    u"片名",     u"译名",     u"别名",     u"又名",     u"英名",     u"原名",     u"类別",
};

namespace {

bool IsFiller(char16_t c) {
    return c == u' ' || c == u'\u3000' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Decoration before a label.
bool IsLabelMark(char16_t c) {
    return c == u'◎' || c == u'【' || c == u'?';
}

// Decoration between a label and its value.
bool IsLabelEnd(char16_t c) {
    return IsFiller(c) || c == u'：' || c == u':' || c == u'】';
}

// Where `label` ends when it starts at `at` in `value`, with fillers allowed between its characters
// ("译　　名"); -1 when it does not.
qsizetype LabelEnd(QStringView value, qsizetype at, QStringView label) {
    qsizetype i = at;
    for (qsizetype k = 0; k < label.size(); ++k) {
        if (k > 0)
            while (i < value.size() && IsFiller(value[i].unicode()))
                ++i;
        if (i >= value.size() || Folded(value[i].unicode()) != Folded(label[k].unicode()))
            return -1;
        ++i;
    }
    return i;
}

// Label words start with one of these few characters; most shown values start with none of them.
bool MayStartLabel(char16_t c) {
    const char16_t f = Folded(c);
    for (QStringView word : LabelWords)
        if (Folded(word.front().unicode()) == f)
            return true;
    return false;
}

} // namespace

QString CleanFieldValue(const QString& value) {
    const QStringView text(value);
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool marked = false;
    while (i < n && (IsFiller(text[i].unicode()) || IsLabelMark(text[i].unicode()))) {
        marked = marked || IsLabelMark(text[i].unicode());
        ++i;
    }
    if (i >= n || !MayStartLabel(text[i].unicode()))
        return value;
    qsizetype labelEnd = -1;
    for (QStringView word : LabelWords)
        labelEnd = std::max(labelEnd, LabelEnd(text, i, word));
    if (labelEnd < 0)
        return value;
    qsizetype valueStart = labelEnd;
    while (valueStart < n && IsLabelEnd(text[valueStart].unicode()))
        ++valueStart;
    // Words such as "国家宝藏" begin with a label's characters: without a mark before it or a
    // separator after it, that is the value itself.
    if (!marked && valueStart == labelEnd && valueStart < n)
        return value;
    qsizetype valueEnd = n;
    while (valueEnd > valueStart && IsFiller(text[valueEnd - 1].unicode()))
        --valueEnd;
    return text.mid(valueStart, valueEnd - valueStart).toString();
}

QString FirstListItem(const QString& value) {
    static constexpr char16_t separators[] = u"/／|｜,，、;；";
    qsizetype end = 0;
    while (end < value.size() &&
           std::u16string_view(separators).find(value[end].unicode()) == std::u16string_view::npos)
        ++end;
    return value.left(end).trimmed();
}
