#pragma once

#include <QString>
#include <QStringView>

// Exactly QString::toLower(), without its per-character table lookups for the text search keys are
// made of: ASCII, CJK ideographs and punctuation, full-width punctuation. Anything else goes
// through QString::toLower() itself.
QString LowerCase(const QString& text);

// Whether the last `count` characters of `text` (all of it when shorter), lower-cased, occur in
// `haystack`. No allocation when the tail is ASCII.
bool LowerTailOccursIn(QStringView text, qsizetype count, QStringView haystack);
