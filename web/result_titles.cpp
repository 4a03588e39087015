#include "web/result_titles.h"

#include "extract/entities.h"
#include "web/encodings.h"
#include "web/result_links.h"

#include <QStringDecoder>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

QString Href(const QString& tag) {
    qsizetype at = tag.indexOf(u"href="_s, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    at += 5;
    const QChar quote = at < tag.size() ? tag[at] : QChar();
    if (quote != u'"' && quote != u'\'')
        return {};
    const qsizetype end = tag.indexOf(quote, at + 1);
    return end < 0 ? QString() : tag.mid(at + 1, end - at - 1).replace(u"&amp;"_s, u"&"_s);
}

QString PlainText(const QString& html) {
    QString text;
    bool inTag = false;
    for (QChar c : html) {
        if (c == u'<')
            inTag = true;
        else if (c == u'>')
            inTag = false;
        else if (!inTag)
            text += c;
    }
    text = DecodeEntities(text).replace(u"&amp;"_s, u"&"_s).replace(u"&quot;"_s, u"\""_s);
    return text.replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s).simplified();
}

} // namespace

QHash<QString, QString> ReadResultTitles(const QByteArray& page) {
    // The engines answer in UTF-8, declared or not; a page that is not UTF-8 goes by its declaration.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(page);
    if (utf8.hasError())
        text = DecodePageBytes(page);
    QHash<QString, QString> titles;
    qsizetype at = 0;
    while ((at = text.indexOf(u"<a "_s, at, Qt::CaseInsensitive)) >= 0) {
        const qsizetype tagEnd = text.indexOf(u'>', at);
        if (tagEnd < 0)
            break;
        const qsizetype close = text.indexOf(u"</a>"_s, tagEnd, Qt::CaseInsensitive);
        if (close < 0)
            break;
        QString link = Href(text.mid(at, tagEnd - at));
        if (const std::optional<QString> target = BingResultTarget(link))
            link = *target;
        const QString title = PlainText(text.mid(tagEnd + 1, close - tagEnd - 1));
        if (IsWebAddress(link) && !title.isEmpty() && !titles.contains(link))
            titles.insert(link, title);
        at = close + 4;
    }
    return titles;
}

QString SiteOf(const QString& url) {
    return QUrl(url).host();
}
