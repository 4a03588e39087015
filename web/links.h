#pragma once

#include "web/html_document.h"

#include <QString>

// The ftp addresses of a page's links (an anchor's attribute holding one, from "ftp:" on), each
// followed by a grave accent, in page order; an address equal to the one added just before is left out.
QString ExtractFtpLinks(const HtmlDocument& doc);
