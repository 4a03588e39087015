#include "extract/json_ld.h"

#include "web/html_text.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

constexpr int MaxDepth = 8; // @graph within arrays within objects: no page nests deeper

// Control characters inside strings become escapes; outside strings they are blanks anyway.
QString EscapeRawControls(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool inString = false;
    bool escaped = false;
    for (QChar c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == u'\\') {
                escaped = true;
            } else if (c == u'"') {
                inString = false;
            } else if (c.unicode() < 0x20) {
                out += c == u'\n' ? u"\\n"_s : c == u'\t' ? u"\\t"_s : c == u'\r' ? u"\\r"_s : u" "_s;
                continue;
            }
        } else if (c == u'"') {
            inString = true;
        }
        out += c;
    }
    return out;
}

// A value that may be a string, an object with "name" (a Person, an Organization) or a list of them.
QStringList Names(const QJsonValue& value) {
    QStringList names;
    if (value.isString()) {
        names.append(value.toString().trimmed());
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        const QJsonValue name = object.value(u"name"_s);
        if (name.isString())
            names.append(name.toString().trimmed());
    } else if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            names += Names(item);
    }
    names.removeAll(QString());
    return names;
}

QStringList Images(const QJsonValue& value, const QString& pageUrl) {
    QStringList images;
    if (value.isString()) {
        const QString address = ResolvedAddress(pageUrl, value.toString());
        if (!address.isEmpty())
            images.append(address);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        images += Images(object.contains(u"url"_s) ? object.value(u"url"_s) : object.value(u"contentUrl"_s), pageUrl);
    } else if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            images += Images(item, pageUrl);
    }
    return images;
}

bool IsMovieType(const QJsonValue& type) {
    static const QStringList types = {u"Movie"_s, u"TVSeries"_s, u"TVEpisode"_s, u"VideoObject"_s};
    if (type.isArray()) {
        for (const QJsonValue& item : type.toArray())
            if (IsMovieType(item))
                return true;
        return false;
    }
    QString name = type.toString();
    name = name.mid(name.lastIndexOf(u'/') + 1);
    return types.contains(name);
}

QJsonObject FindMovie(const QJsonValue& value, int depth) {
    if (depth > MaxDepth)
        return {};
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray()) {
            const QJsonObject found = FindMovie(item, depth + 1);
            if (!found.isEmpty())
                return found;
        }
        return {};
    }
    if (!value.isObject())
        return {};
    const QJsonObject object = value.toObject();
    if (IsMovieType(object.value(u"@type"_s)))
        return object;
    return FindMovie(object.value(u"@graph"_s), depth + 1);
}

QString Scalar(const QJsonValue& value) {
    if (value.isDouble())
        return QString::number(value.toDouble());
    return value.toString().trimmed();
}

PageFacts FactsOf(const QJsonObject& movie, const QString& pageUrl) {
    PageFacts facts;
    facts.Title = Scalar(movie.value(u"name"_s));
    // Other names are aliases (a translation, a working title), not the original title.
    const QStringList alternates = Names(movie.value(u"alternateName"_s));
    facts.Year = YearIn(Scalar(movie.value(u"datePublished"_s)));
    facts.Genres = JoinedList(Names(movie.value(u"genre"_s)));
    facts.Countries = JoinedList(Names(movie.value(u"countryOfOrigin"_s)));
    facts.Plot = Scalar(movie.value(u"description"_s));
    const QJsonObject rating = movie.value(u"aggregateRating"_s).toObject();
    facts.Rating =
        ScoreText(SiteName(pageUrl), Scalar(rating.value(u"ratingValue"_s)), Scalar(rating.value(u"bestRating"_s)));
    const QStringList directors = Names(movie.value(u"director"_s));
    if (!directors.isEmpty())
        facts.Lines.append(u"导演: "_s + JoinedList(directors));
    const QStringList writers = Names(movie.value(u"author"_s)) + Names(movie.value(u"creator"_s));
    if (!writers.isEmpty())
        facts.Lines.append(u"编剧: "_s + JoinedList(writers));
    const QStringList actors = Names(movie.value(u"actor"_s));
    if (!actors.isEmpty())
        facts.Lines.append(u"主演: "_s + JoinedList(actors));
    if (!alternates.isEmpty())
        facts.Lines.append(u"又名: "_s + JoinedList(alternates));
    facts.Posters = Images(movie.value(u"image"_s), pageUrl);
    return facts;
}

} // namespace

QJsonDocument ParseLenientJson(const QString& text) {
    QString body = text.trimmed();
    if (body.startsWith(u"<!--"_s))
        body = body.mid(4);
    if (body.endsWith(u"-->"_s))
        body.chop(3);
    body = body.trimmed();
    while (body.endsWith(u';'))
        body.chop(1);
    QJsonParseError error;
    QJsonDocument parsed = QJsonDocument::fromJson(EscapeRawControls(body).toUtf8(), &error);
    return error.error == QJsonParseError::NoError ? parsed : QJsonDocument();
}

PageFacts ReadJsonLdText(const QString& text, const QString& pageUrl) {
    const QJsonDocument parsed = ParseLenientJson(text);
    const QJsonValue top = parsed.isArray() ? QJsonValue(parsed.array()) : QJsonValue(parsed.object());
    const QJsonObject movie = FindMovie(top, 0);
    return movie.isEmpty() ? PageFacts() : FactsOf(movie, pageUrl);
}

PageFacts ReadJsonLd(const HtmlDocument& doc, const QString& pageUrl) {
    for (int script : FindElements(doc, u"script", u"type")) {
        if (AttributeOf(doc.Nodes[script], u"type").trimmed().toLower() != u"application/ld+json"_s)
            continue;
        QString text;
        for (int i = script + 1; i < doc.Nodes[script].End; ++i)
            text += doc.Nodes[i].Text;
        const PageFacts facts = ReadJsonLdText(text, pageUrl);
        if (!facts.Title.isEmpty() || !facts.Plot.isEmpty())
            return facts;
    }
    return {};
}
