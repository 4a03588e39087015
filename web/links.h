#pragma once

#include <QString>

// The ftp addresses written in anchor tags ("<a", in any letter case) of a page, each followed by a
// grave accent, in page order; an address equal to the one added just before is left out.
QString ExtractFtpLinks(const QString& page);

// The absolute ("http:" or "https:") picture addresses of the img tags ("<img", in any letter case)
// that have a "src=" (in any letter case), in the same form as ExtractFtpLinks.
QString ExtractImageUrls(const QString& page);
