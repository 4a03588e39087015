#include "web/search.h"

#include "library/atomic_file.h"
#include "library/split_string.h"
#include "pages/builtin_texts.h"
#include "pages/text_codec.h"
#include "web/encodings.h"
#include "web/ydown.h"

#include <QFile>
#include <QStringView>

using namespace Qt::StringLiterals;

namespace {

const QString ResultsFile = u"tempsearch.html"_s;
const QString LinkStart = u"href=\"http://"_s; // the 13 characters a result link begins with
const QString CaptchaPhrase = u"请您输入验证码"_s;

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
    for (const QString& prefix : prefixes) {
        if (!prefix.isEmpty() && link.startsWith(prefix))
            return true;
    }
    return false;
}

// One line of the page; returns false when the line holds the verification phrase.
bool ReadLine(const QString& line, const QStringList& prefixes, const QStringList& exclusions, SearchResults& results) {
    qsizetype pos = 0; // the remaining text starts here
    for (;;) {
        const qsizetype match = line.indexOf(LinkStart, pos);
        if (match < 0)
            return !QStringView(line).mid(pos).contains(CaptchaPhrase);
        pos = match + 6; // at "http://"
        const qsizetype quote = line.indexOf(u'"', pos);
        if (quote < 0)
            continue; // no closing quote: no further link on this line
        QString link = line.mid(pos, quote - pos);
        link.replace(u"&amp;"_s, u"&"_s);
        if (IsExcluded(link, exclusions))
            continue;
        results.Links.append(link);
        if (results.Preferred.isEmpty() && IsPreferred(link, prefixes))
            results.Preferred = link;
    }
}

} // namespace

SearchResults ReadSearchResults(const QByteArray& page, const QStringList& prefixes, const QStringList& exclusions) {
    SearchResults results;
    qsizetype begin = 0;
    while (begin < page.size()) {
        qsizetype end = page.indexOf('\n', begin);
        const qsizetype next = end < 0 ? page.size() : end + 1;
        if (end < 0)
            end = page.size();
        QByteArray bytes = page.mid(begin, end - begin);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (!ReadLine(AnsiToWide(bytes), prefixes, exclusions, results)) {
            results.Blocked = true;
            break;
        }
        begin = next;
    }
    return results;
}

QString SearchAddress(const QString& engine, QString text) {
    for (QChar c : {u'.', u'-', u'[', u']', u'【', u'】'})
        text.replace(c, u' ');
    if (engine == u"bing"_s)
        return u"http://www.bing.com/search?q="_s + EncodeQuery(text);
    if (engine == u"sogou"_s)
        return u"http://www.sogou.com/web?query="_s + text;
    return {};
}

QString SearchTitle(const MovieRecord& record, const QString& engine, QString text, QStringList& links,
                    const std::atomic<bool>* stop, bool* pageRead) {
    if (pageRead)
        *pageRead = false;
    QFile::remove(ResultsFile);
    YDown(stop).Download(SearchAddress(engine, std::move(text)), QString(), ResultsFile,
                         QString::fromUtf16(PageRequestHeader));
    if (stop && stop->load())
        return {};

    QFile file(ResultsFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray page = file.readAll();
    file.close();

    const SearchResults results =
        ReadSearchResults(page, BuiltInList(SearchLinkPrefixes), BuiltInList(SearchLinkExclusions));
    links += results.Links;
    if (!record.FilePath.isEmpty())
        WriteFileAtomically(record.FilePath + u".search.htm"_s, page);
    if (pageRead)
        *pageRead = !results.Blocked;
    return results.Blocked ? QString::fromUtf16(SearchBlockedResult) : results.Preferred;
}
