#include "web/links.h"

#include <QStringView>
#include <optional>

namespace {

// The candidate address in one tag: from `scheme` (searched after `after`, when given) up to the next
// double quote; empty when no double quote follows; none when the tag has no such address at all.
std::optional<QString> Candidate(QStringView tag, QStringView after, QStringView scheme) {
    qsizetype from = 0;
    if (!after.isEmpty()) {
        from = tag.indexOf(after);
        if (from < 0)
            return std::nullopt;
    }
    const qsizetype begin = tag.indexOf(scheme, from);
    if (begin < 0)
        return std::nullopt;
    const qsizetype quote = tag.indexOf(u'"', begin);
    if (quote < 0)
        return QString(); // still a candidate: it ends a run of equal addresses
    return tag.mid(begin, quote - begin).toString();
}

// Walks the tags that start with `opening`, adds each tag's candidate unless it repeats the last one.
QString CollectAddresses(const QString& page, QStringView opening, QStringView after, QStringView scheme) {
    QString result;
    QString last;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype open = page.indexOf(opening, pos);
        if (open < 0)
            break;
        const qsizetype close = page.indexOf(u'>', open);
        if (close < 0)
            break;
        const auto candidate = Candidate(QStringView(page).mid(open, close - open), after, scheme);
        if (candidate && *candidate != last) {
            last = *candidate;
            result += last + u'`';
        }
        pos = close + 1;
    }
    return result;
}

} // namespace

QString ExtractFtpLinks(const QString& page) {
    return CollectAddresses(page, u"<a", {}, u"ftp:");
}

QString ExtractImageUrls(const QString& page) {
    return CollectAddresses(page, u"<img", u"src=", u"http:");
}
