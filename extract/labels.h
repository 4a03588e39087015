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
extern const std::array<FieldLabelRow, 16> FieldLabelTable;

// The field a labelled line belongs to, from its match key (the trimmed line without blanks,
// U+3000, "◎" and "【"); nullptr when no row holds and the line belongs to the overview.
QString MovieRecord::*FieldForLabelKey(QStringView key);

// Labels, decorations and separators that CleanFieldValue removes, in removal order (longer labels
// before the shorter ones they contain).
extern const std::array<QStringView, 32> LabelWords;

// A stored field value without its label words; then, when a ".", "/" or "[" follows some text, only
// what comes after the first of them.
QString CleanFieldValue(const QString& value);
