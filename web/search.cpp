#include "web/search.h"

#include "library/atomic_file.h"
#include "library/split_string.h"
#include "pages/builtin_texts.h"
#include "pages/text_codec.h"
#include "web/encodings.h"
#include "web/poster.h"
#include "web/refusal.h"
#include "web/result_links.h"
#include "web/site_pace.h"
#include "web/site_request.h"
#include "web/ydown.h"

#include <QFile>
#include <QHash>
#include <QStringView>

using namespace Qt::StringLiterals;

namespace {

const QString ResultsFile = u"tempsearch.html"_s;
const QString LinkStart = u"href=\""_s;
const QString CaptchaPhrase = u"请您输入验证码"_s;
// A Sogou result written relative to the results page.
const QString RelativeSogouLink = u"/link?url="_s;
// Click-through addresses resolved per search at most: each costs a request.
constexpr int MaxResolvedLinks = 10;

struct EngineStyle {
    QString Name;
    QString Origin;        // scheme and host the results page comes from
    QString Query;         // path and query before the search text
    QString OrganicMarker; // the markup that opens an organic result; its first link is the result
};

const EngineStyle Engines[] = {
    {u"bing"_s, u"http://www.bing.com"_s, u"/search?q="_s, u"class=\"b_algo"_s},
    {u"sogou"_s, u"http://www.sogou.com"_s, u"/web?query="_s, u"<h3"_s},
};

const EngineStyle* FindEngine(const QString& name) {
    for (const EngineStyle& engine : Engines) {
        if (engine.Name == name)
            return &engine;
    }
    return nullptr;
}

QStringList BuiltInList(const char* stored) {
    QStringList entries = SplitString(DecodeText(stored), u'`');
    entries.removeAll(QString()); // an empty entry would match every link
    return entries;
}

bool IsExcluded(const QString& link, const QStringList& exclusions) {
    for (const QString& exclusion : exclusions) {
        if (!exclusion.isEmpty() && link.indexOf(exclusion, 1) >= 0)
            return true;
    }
    return false;
}

bool IsPreferred(const QString& link, const QStringList& prefixes) {
    if (IsSogouResultLink(link))
        return false; // its target is not known yet
    for (const QString& prefix : prefixes) {
        if (!prefix.isEmpty() && StartsWithSiteAddress(link, prefix))
            return true;
    }
    return false;
}

QString FirstPreferred(const QStringList& links, const QStringList& prefixes) {
    for (const QString& link : links) {
        if (IsPreferred(link, prefixes))
            return link;
    }
    return {};
}

// What a link as written stands for: itself, the target of a Bing click-through address, a Sogou
// click-through address made absolute (resolved later), or nothing (an excluded link, an unreadable
// wrapper).
QString ResultLink(QString link, const EngineStyle* engine, const QStringList& exclusions) {
    if (link.startsWith(RelativeSogouLink))
        return engine ? engine->Origin + link : QString();
    if (const auto target = BingResultTarget(link))
        link = *target;
    if (link.isEmpty() || IsSogouResultLink(link))
        return link;
    return IsExcluded(link, exclusions) ? QString() : link;
}

QString HostOf(const QString& address) {
    const qsizetype start = address.indexOf(u"://"_s);
    if (start < 0)
        return {};
    qsizetype end = start + 3;
    while (end < address.size() && address[end] != u'/' && address[end] != u'?' && address[end] != u'#')
        ++end;
    return address.mid(start + 3, end - start - 3).toLower();
}

bool IsLinkStart(QStringView text) {
    return text.startsWith(u"http://") || text.startsWith(u"https://") || text.startsWith(RelativeSogouLink);
}

struct PageReader {
    const QStringList& exclusions;
    const EngineStyle* engine;
    QStringList organic;
    QStringList others;
    bool organicPending = false; // an organic result opened and its first link not read yet

    // One line of the page; returns false when the line holds the verification phrase.
    bool ReadLine(const QString& line) {
        const QString& marker = engine ? engine->OrganicMarker : QString();
        qsizetype nextMarker = marker.isEmpty() ? -1 : line.indexOf(marker);
        qsizetype pos = 0; // the remaining text starts here
        qsizetype searchFrom = 0;
        for (;;) {
            const qsizetype match = line.indexOf(LinkStart, searchFrom);
            if (match < 0) {
                if (nextMarker >= 0)
                    organicPending = true;
                return !QStringView(line).mid(pos).contains(CaptchaPhrase);
            }
            searchFrom = match + LinkStart.size();
            if (!IsLinkStart(QStringView(line).mid(searchFrom)))
                continue;
            pos = searchFrom;
            if (nextMarker >= 0 && nextMarker < match) {
                organicPending = true;
                nextMarker = line.indexOf(marker, match);
            }
            const qsizetype quote = line.indexOf(u'"', pos);
            if (quote < 0)
                continue; // no closing quote: no further link on this line
            QString link = line.mid(pos, quote - pos);
            link.replace(u"&amp;"_s, u"&"_s);
            const bool isOrganic = organicPending;
            organicPending = false;
            link = ResultLink(std::move(link), engine, exclusions);
            if (!link.isEmpty())
                (isOrganic ? organic : others).append(link);
        }
    }
};

} // namespace

SearchResults ReadSearchResults(const QByteArray& page, const QStringList& prefixes, const QStringList& exclusions,
                                const QString& engine) {
    SearchResults results;
    PageReader reader{exclusions, FindEngine(engine), {}, {}};
    qsizetype begin = 0;
    while (begin < page.size()) {
        qsizetype end = page.indexOf('\n', begin);
        const qsizetype next = end < 0 ? page.size() : end + 1;
        if (end < 0)
            end = page.size();
        QByteArray bytes = page.mid(begin, end - begin);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (!reader.ReadLine(AnsiToWide(bytes))) {
            results.Blocked = true;
            break;
        }
        begin = next;
    }
    results.Links = reader.organic + reader.others;
    results.Preferred = FirstPreferred(results.Links, prefixes);
    return results;
}

QString SearchAddress(const QString& engine, QString text) {
    for (QChar c : {u'.', u'-', u'[', u']', u'【', u'】'})
        text.replace(c, u' ');
    const EngineStyle* style = FindEngine(engine);
    if (!style)
        return {};
    return style->Origin + style->Query + (style->Name == u"bing"_s ? EncodeQuery(text) : text);
}

QString ResolveSogouLink(const QString& link, const std::atomic<bool>* stop) {
    // The engine may first move the request on its own host (to https, say); a few such steps are
    // followed. A redirect elsewhere is the target.
    constexpr int MaxOwnHostSteps = 4;
    const QString reply = CreateDownloadTempFile();
    if (reply.isEmpty())
        return {};
    QString address = link;
    QString target;
    for (int step = 0; step <= MaxOwnHostSteps && !(stop && stop->load()); ++step) {
        YDown down(stop);
        down.FollowRedirects = false;
        down.Download(address, QString(), reply, QString::fromUtf16(PageRequestHeader));
        if (!down.RedirectUrl.isEmpty()) {
            if (HostOf(down.RedirectUrl) == HostOf(address)) {
                address = down.RedirectUrl;
                continue;
            }
            target = down.RedirectUrl;
            break;
        }
        QFile file(reply);
        if (file.open(QIODevice::ReadOnly))
            target = ReadRedirectReply(file.readAll());
        break;
    }
    QFile::remove(reply);
    return IsWebAddress(target) ? target : QString();
}

QStringList ResolveResultLinks(const QStringList& links, const QStringList& exclusions, const std::atomic<bool>* stop) {
    QStringList resolved;
    QHash<QString, QString> targets; // click-through address -> target, empty when none
    for (const QString& link : links) {
        if (!IsSogouResultLink(link)) {
            resolved.append(link);
            continue;
        }
        auto known = targets.find(link);
        if (known == targets.end()) {
            QString target;
            if (targets.size() < MaxResolvedLinks) {
                target = ResolveSogouLink(link, stop);
                if (IsSogouResultLink(target) || IsExcluded(target, exclusions))
                    target.clear();
            }
            known = targets.insert(link, target);
        }
        if (!known->isEmpty())
            resolved.append(*known);
    }
    return resolved;
}

QString SearchTitle(const MovieRecord& record, const QString& engine, QString text, QStringList& links,
                    const std::atomic<bool>* stop, bool* pageRead, QString* refusal) {
    if (pageRead)
        *pageRead = false;
    if (refusal)
        refusal->clear();
    QFile::remove(ResultsFile);
    const QString address = SearchAddress(engine, std::move(text));
    YDown down(stop);
    // The page itself is judged below, where the links before a verification phrase are kept.
    const QString refused =
        DownloadFromSite(down, address, ResultsFile, QString::fromUtf16(PageRequestHeader), stop, false);
    if (stop && stop->load())
        return {};
    if (!refused.isEmpty()) {
        if (refusal)
            *refusal = refused;
        return QString::fromUtf16(SearchBlockedResult);
    }

    QFile file(ResultsFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray page = file.readAll();
    file.close();

    const QStringList prefixes = BuiltInList(SearchLinkPrefixes);
    const QStringList exclusions = BuiltInList(SearchLinkExclusions);
    SearchResults results = ReadSearchResults(page, prefixes, exclusions, engine);
    // The engine's verification page, by its phrase or by its look: the engine rests for a while.
    QString why = results.Blocked ? u"要求验证"_s : RefusalOfPage(DecodePageBytes(page));
    if (!why.isEmpty()) {
        results.Blocked = true;
        const QString note = NoteSiteRefusal(HostOfAddress(address), why);
        if (refusal)
            *refusal = note;
    }
    results.Links = ResolveResultLinks(results.Links, exclusions, stop);
    results.Preferred = FirstPreferred(results.Links, prefixes);
    links += results.Links;
    if (!record.FilePath.isEmpty())
        WriteFileAtomically(record.FilePath + u".search.htm"_s, page);
    if (pageRead)
        *pageRead = !results.Blocked;
    return results.Blocked ? QString::fromUtf16(SearchBlockedResult) : results.Preferred;
}
