#include "extract/page_pictures.h"

#include "extract/page_facts.h"

using namespace Qt::StringLiterals;

bool IsPlaceholderPicture(const QString& address) {
    const QString lower = address.toLower();
    return lower.contains(u"loading"_s) || lower.contains(u"placeholder"_s) || lower.contains(u"blank."_s) ||
           lower.contains(u"default"_s) || lower.contains(u"spacer"_s);
}

QString PictureAddress(const HtmlDocument& doc, int img, const QString& pageUrl) {
    const HtmlNode& node = doc.Nodes[img];
    const QString source = ResolvedAddress(pageUrl, AttributeOf(node, u"src"));
    const QString lazy = ResolvedAddress(pageUrl, AttributeOf(node, u"data-src"));
    if (!lazy.isEmpty() && (source.isEmpty() || IsPlaceholderPicture(source)))
        return lazy;
    // A page without a picture of its own shows its site's stand-in.
    return IsPlaceholderPicture(source) ? QString() : source;
}

QStringList PicturesIn(const HtmlDocument& doc, int root, const QString& pageUrl, int limit) {
    QStringList pictures;
    if (root < 0)
        return pictures;
    for (int img : FindElements(doc, u"img", {}, {}, root)) {
        const QString address = PictureAddress(doc, img, pageUrl);
        if (!address.isEmpty() && !pictures.contains(address))
            pictures.append(address);
        if (pictures.size() >= limit)
            break;
    }
    return pictures;
}
