#include "web/links.h"

#include <QStringView>
#include <optional>

namespace {

// The first of the schemes in `tag` from `from` on, or -1.
qsizetype FirstScheme(QStringView tag, qsizetype from, std::initializer_list<QStringView> schemes) {
    qsizetype first = -1;
    for (QStringView scheme : schemes) {
        const qsizetype at = tag.indexOf(scheme, from);
        if (at >= 0 && (first < 0 || at < first))
            first = at;
    }
    return first;
}

// The candidate address in one tag: from the first of `schemes` (searched after the attribute name
// `after`, in any letter case, when given) up to the next double quote; empty when no double quote
// follows; none when the tag has no such address at all.
std::optional<QString> Candidate(QStringView tag, QStringView after, std::initializer_list<QStringView> schemes) {
    qsizetype from = 0;
    if (!after.isEmpty()) {
        from = tag.indexOf(after, 0, Qt::CaseInsensitive);
        if (from < 0)
            return std::nullopt;
    }
    const qsizetype begin = FirstScheme(tag, from, schemes);
    if (begin < 0)
        return std::nullopt;
    const qsizetype quote = tag.indexOf(u'"', begin);
    if (quote < 0)
        return QString(); // still a candidate: it ends a run of equal addresses
    return tag.mid(begin, quote - begin).toString();
}

// Walks the tags that start with `opening` (in any letter case), adds each tag's candidate unless it
// repeats the last one.
QString CollectAddresses(const QString& page, QStringView opening, QStringView after,
                         std::initializer_list<QStringView> schemes) {
    QString result;
    QString last;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype open = page.indexOf(opening, pos, Qt::CaseInsensitive);
        if (open < 0)
            break;
        const qsizetype close = page.indexOf(u'>', open);
        if (close < 0)
            break;
        const auto candidate = Candidate(QStringView(page).mid(open, close - open), after, schemes);
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
    return CollectAddresses(page, u"<a", {}, {u"ftp:"});
}

QString ExtractImageUrls(const QString& page) {
    return CollectAddresses(page, u"<img", u"src=", {u"http:", u"https:"});
}
