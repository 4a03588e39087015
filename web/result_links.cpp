#include "web/result_links.h"

#include <QStringView>

using namespace Qt::StringLiterals;

namespace {

// The text after "http://" or "https://"; empty for anything else.
QStringView AfterScheme(QStringView link) {
    // Lengths known at compile time: this runs for every link against every preferred prefix.
    static constexpr QStringView Http = u"http://";
    static constexpr QStringView Https = u"https://";
    if (link.startsWith(Http))
        return link.sliced(Http.size());
    if (link.startsWith(Https))
        return link.sliced(Https.size());
    return {};
}

// The host of a web address (lower case, without port or user) and the text from its first "/", "?"
// or "#" on.
bool SplitAddress(QStringView link, QString& host, QStringView& rest) {
    const QStringView afterScheme = AfterScheme(link);
    if (afterScheme.isEmpty())
        return false;
    qsizetype end = 0;
    while (end < afterScheme.size() && afterScheme[end] != u'/' && afterScheme[end] != u'?' && afterScheme[end] != u'#')
        ++end;
    QStringView authority = afterScheme.left(end);
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0)
        authority = authority.mid(at + 1);
    const qsizetype colon = authority.indexOf(u':');
    if (colon >= 0)
        authority = authority.left(colon);
    host = authority.toString().toLower();
    rest = afterScheme.mid(end);
    return !host.isEmpty();
}

bool OnDomain(const QString& host, QStringView domain) {
    return host == domain ||
           (host.endsWith(domain) && host.size() > domain.size() && host[host.size() - domain.size() - 1] == u'.');
}

// The value of query parameter `name` (up to the next "&" or "#"), or nothing.
std::optional<QStringView> QueryValue(QStringView rest, QStringView name) {
    const qsizetype question = rest.indexOf(u'?');
    if (question < 0)
        return std::nullopt;
    qsizetype pos = question + 1;
    while (pos <= rest.size()) {
        qsizetype end = pos;
        while (end < rest.size() && rest[end] != u'&' && rest[end] != u'#')
            ++end;
        const QStringView parameter = rest.mid(pos, end - pos);
        if (parameter.startsWith(name) && parameter.size() > name.size() && parameter[name.size()] == u'=')
            return parameter.mid(name.size() + 1);
        if (end >= rest.size() || rest[end] == u'#')
            break;
        pos = end + 1;
    }
    return std::nullopt;
}

// An address as a page may write it inside a quoted attribute or script string: entities and script
// escapes for "&" and "/" undone, surrounding blanks dropped.
QString CleanAddress(QStringView text) {
    QString address = text.trimmed().toString();
    address.replace(u"&amp;"_s, u"&"_s);
    address.replace(u"\\/"_s, u"/"_s);
    address.replace(u"\\u0026"_s, u"&"_s);
    return address;
}

// A web address without characters that cannot stand in one.
bool IsCleanWebAddress(const QString& address) {
    if (!IsWebAddress(address) || AfterScheme(address).isEmpty())
        return false;
    for (QChar c : address) {
        if (c.unicode() < 0x21 || c == u'"' || c == u'\'' || c == u'<' || c == u'>' || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

// The quoted (or bare) value at `pos` of `text`: up to the matching quote, or up to a blank, ";" or
// ">" when unquoted.
QStringView ValueAt(QStringView text, qsizetype pos) {
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    if (pos >= text.size())
        return {};
    const QChar quote = text[pos];
    if (quote == u'"' || quote == u'\'') {
        const qsizetype close = text.indexOf(quote, pos + 1);
        return close < 0 ? QStringView() : text.mid(pos + 1, close - pos - 1);
    }
    qsizetype end = pos;
    while (end < text.size() && !text[end].isSpace() && text[end] != u'>' && text[end] != u'"' && text[end] != u'\'')
        ++end;
    return text.mid(pos, end - pos);
}

// The address of a refresh element: its content attribute "N;URL=address".
QString RefreshTarget(QStringView tag) {
    const qsizetype content = tag.indexOf(u"content=", 0, Qt::CaseInsensitive);
    if (content < 0)
        return {};
    const QStringView value = ValueAt(tag, content + 8);
    const qsizetype url = value.indexOf(u"url=", 0, Qt::CaseInsensitive);
    if (url < 0)
        return {};
    QStringView address = value.mid(url + 4).trimmed();
    if (!address.isEmpty() && (address.front() == u'\'' || address.front() == u'"')) {
        const qsizetype close = address.indexOf(address.front(), 1);
        address = close < 0 ? address.mid(1) : address.mid(1, close - 1);
    }
    return CleanAddress(address);
}

// The first refresh element of a reply that names a web address; `at` gets its position.
QString FirstRefresh(QStringView reply, qsizetype& at) {
    qsizetype pos = 0;
    for (;;) {
        const qsizetype meta = reply.indexOf(u"<meta", pos, Qt::CaseInsensitive);
        if (meta < 0)
            return {};
        const qsizetype close = reply.indexOf(u'>', meta);
        const QStringView tag = reply.mid(meta, close < 0 ? -1 : close - meta);
        if (tag.contains(u"refresh", Qt::CaseInsensitive)) {
            const QString target = RefreshTarget(tag);
            if (IsCleanWebAddress(target)) {
                at = meta;
                return target;
            }
        }
        if (close < 0)
            return {};
        pos = close + 1;
    }
}

// The first "location" assignment or call of a script: location = "…", location.href = "…",
// location.replace("…"), location.assign("…").
QString FirstLocationScript(QStringView reply, qsizetype& at) {
    qsizetype pos = 0;
    for (;;) {
        const qsizetype found = reply.indexOf(u"location", pos);
        if (found < 0)
            return {};
        pos = found + 8;
        qsizetype p = pos;
        auto skipBlanks = [&] {
            while (p < reply.size() && reply[p].isSpace())
                ++p;
        };
        skipBlanks();
        if (reply.mid(p).startsWith(u".href")) {
            p += 5;
            skipBlanks();
        }
        if (reply.mid(p).startsWith(u".replace") || reply.mid(p).startsWith(u".assign")) {
            p = reply.indexOf(u'(', p);
            if (p < 0)
                return {};
            ++p;
        } else if (p < reply.size() && reply[p] == u'=' && !(p + 1 < reply.size() && reply[p + 1] == u'=')) {
            ++p;
        } else {
            continue;
        }
        skipBlanks();
        if (p >= reply.size() || (reply[p] != u'"' && reply[p] != u'\''))
            continue;
        if (reply.indexOf(reply[p], p + 1) < 0)
            return {}; // a string that never closes: nothing after it is a complete script either
        const QString target = CleanAddress(ValueAt(reply, p));
        if (IsCleanWebAddress(target)) {
            at = found;
            return target;
        }
    }
}

} // namespace

bool IsWebAddress(const QString& link) {
    return link.startsWith(u"http://"_s) || link.startsWith(u"https://"_s);
}

bool StartsWithSiteAddress(const QString& link, const QString& prefix) {
    const QStringView linkRest = AfterScheme(link);
    const QStringView prefixRest = AfterScheme(prefix);
    if (linkRest.isEmpty() || prefixRest.isEmpty())
        return !prefix.isEmpty() && link.startsWith(prefix);
    return linkRest.startsWith(prefixRest);
}

std::optional<QString> BingResultTarget(const QString& link) {
    // Most links are no click-through address: two plain searches tell, before the address is split.
    if (!link.contains(u"/ck/a?") || !link.contains(u"bing.com", Qt::CaseInsensitive))
        return std::nullopt;
    QString host;
    QStringView rest;
    if (!SplitAddress(link, host, rest) || !OnDomain(host, u"bing.com") || !rest.startsWith(u"/ck/a?"))
        return std::nullopt;
    const auto value = QueryValue(rest, u"u");
    if (!value || !value->startsWith(u"a1"))
        return QString();
    const QByteArray encoded = value->mid(2).toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::Base64UrlEncoding |
                                                                     QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return QString();
    const QString target = QString::fromUtf8(*decoded);
    return IsCleanWebAddress(target) ? target : QString();
}

bool IsSogouResultLink(const QString& link) {
    if (!link.contains(u"/link?url=") || !link.contains(u"sogou.com", Qt::CaseInsensitive))
        return false;
    QString host;
    QStringView rest;
    return SplitAddress(link, host, rest) && OnDomain(host, u"sogou.com") && rest.startsWith(u"/link?url=") &&
           rest.size() > 10;
}

QString ReadRedirectReply(const QByteArray& reply) {
    // Such a reply is a few hundred bytes; what stands far behind is no part of it.
    constexpr qsizetype MaxReplyBytes = 65536;
    const QString text = QString::fromUtf8(reply.left(MaxReplyBytes));
    qsizetype refreshAt = -1;
    qsizetype scriptAt = -1;
    const QString refresh = FirstRefresh(text, refreshAt);
    const QString script = FirstLocationScript(text, scriptAt);
    if (refresh.isEmpty())
        return script;
    if (script.isEmpty())
        return refresh;
    return refreshAt < scriptAt ? refresh : script;
}
