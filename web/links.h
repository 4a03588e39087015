#pragma once

#include <QString>

// The ftp addresses written in anchor tags ("<a", case-sensitive) of a page, each followed by a grave
// accent, in page order; an address equal to the one added just before is left out.
QString ExtractFtpLinks(const QString& page);

// The absolute ("http:") picture addresses of the img tags ("<img", case-sensitive) that have a "src=",
// in the same form as ExtractFtpLinks.
QString ExtractImageUrls(const QString& page);
