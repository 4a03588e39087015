#pragma once

#include "library/movie_record.h"

#include <QString>
#include <QStringView>
#include <array>

// One row of the label table: a line whose match key starts with `Label`, and with none of
// `Exceptions`, belongs to `Field`. (A prefix test of n characters, where a short key is its own
// prefix, is the same as "starts with" for a label of n characters.)
struct FieldLabelRow {
    QStringView Label;
    QString MovieRecord::*Field;
    std::array<QStringView, 6> Exceptions;
};

// Tried from the top; the first row that holds decides.
// Aliases ("又名", "别名") have no row: an alias is neither the title nor the original title.
extern const std::array<FieldLabelRow, 19> FieldLabelTable;

// The match key's length that decides every row: no label or exception is longer, so a longer key
// may be cut to this many characters.
inline constexpr qsizetype LabelKeyChars = 12;

// The field a labelled line belongs to, from its match key (the trimmed line without blanks,
// U+3000, "◎" and "【"); nullptr when no row holds and the line belongs to the overview.
QString MovieRecord::*FieldForLabelKey(QStringView key);

// The labels CleanFieldValue removes from the front of a value (Latin letters in any case and width).
extern const std::array<QStringView, 31> LabelWords;

// A stored field value as it is shown: without the label that leads it and the label's decoration
// ("◎", "【】", colons and the blanks and U+3000 between label and value). Nothing of the value goes:
// "◎类　　别　剧情/爱情" shows as "剧情/爱情". A value that does not begin with a label (one typed
// by the user) is returned as it is, so cleaning it again changes nothing.
QString CleanFieldValue(const QString& value);

// The first item of a list value such as "美国/英国", trimmed.
QString FirstListItem(const QString& value);
