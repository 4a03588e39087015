#pragma once

#include <QString>

// A short wall title from a release file name: bracket groups removed, cut at the first quality or
// source marker, extension dropped, dots turned into blanks, lower case.
// "The.Dark.Knight.2008.720p.BluRay.x264.mkv" -> "the dark knight 2008".
QString TitleFromFileName(QString fileName);
