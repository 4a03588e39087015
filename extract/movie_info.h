#pragma once

#include "library/movie_record.h"

#include <QString>

inline constexpr char16_t NoInformationFoundText[] = u"错误：没有找到资料。。。";

// Turns the main text of an information page into the record's fields: the text between tags is cut
// into lines at "<br>" breaks and line feeds; a line whose first characters name a field (the label
// table) replaces that field whole, label included; every other line, and every line of 255
// characters or more, goes to Overview, which is rebuilt each time. Collection stops at the download
// section. Writes no file: the caller stores the result. Works on the given record only; always returns true.
bool ExtractMovieInfo(MovieRecord& record, QString page);
