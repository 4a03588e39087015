#include "web/links.h"

namespace {

// The anchor's ftp address: the first attribute holding "ftp:" (href, or the address a download
// helper's attribute carries), from there to the end of the value.
QString FtpAddressOf(const HtmlNode& anchor) {
    for (const auto& [name, value] : anchor.Attributes) {
        const qsizetype at = value.indexOf(u"ftp:", 0, Qt::CaseInsensitive);
        if (at >= 0)
            return value.mid(at).trimmed();
    }
    return {};
}

} // namespace

QString ExtractFtpLinks(const HtmlDocument& doc) {
    QString result;
    QString last;
    for (const HtmlNode& node : doc.Nodes) {
        if (node.Tag != u"a")
            continue;
        const QString address = FtpAddressOf(node);
        if (address.isEmpty() || address == last)
            continue;
        last = address;
        result += address + u'`';
    }
    return result;
}
