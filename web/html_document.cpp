#include "web/html_document.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>

namespace {

QString FromXml(const xmlChar* text) {
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}

// Nodes the shown page never holds: comments, processing instructions, and the markup's own doctype.
bool Kept(const xmlNode* node) {
    return node->type == XML_ELEMENT_NODE || node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE;
}

// Walks the tree without recursion, so a page nested ten thousand levels deep cannot exhaust the stack.
void CopyTree(xmlNode* top, HtmlDocument& doc) {
    xmlNode* node = top;
    int parent = -1;
    while (node) {
        int index = -1;
        if (Kept(node)) {
            index = int(doc.Nodes.size());
            HtmlNode& copy = doc.Nodes.emplace_back();
            copy.Parent = parent;
            if (node->type == XML_ELEMENT_NODE) {
                copy.Tag = FromXml(node->name).toLower();
                for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
                    xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute));
                    copy.Attributes.append({FromXml(attribute->name).toLower(), FromXml(value)});
                    xmlFree(value);
                }
            } else {
                copy.Text = FromXml(node->content);
            }
        }
        if (index >= 0 && node->type == XML_ELEMENT_NODE && node->children) {
            parent = index;
            node = node->children;
            continue;
        }
        if (index >= 0)
            doc.Nodes[index].End = int(doc.Nodes.size());
        // Up until a node with a next sibling, closing each element left.
        while (node && !node->next) {
            node = node->parent;
            if (!node || node == top->parent || node->type == XML_DOCUMENT_NODE ||
                node->type == XML_HTML_DOCUMENT_NODE) {
                node = nullptr;
                break;
            }
            if (parent >= 0) {
                doc.Nodes[parent].End = int(doc.Nodes.size());
                parent = doc.Nodes[parent].Parent;
            }
        }
        if (node)
            node = node->next;
    }
}

bool Matches(const HtmlNode& node, QStringView tag, QStringView attribute, QStringView value) {
    if (node.Tag.isEmpty() || (!tag.isEmpty() && node.Tag != tag))
        return false;
    if (attribute.isEmpty())
        return true;
    for (const auto& [name, text] : node.Attributes)
        if (name == attribute)
            return value.isNull() || text == value;
    return false;
}

} // namespace

HtmlDocument ParseHtml(const QString& page) {
    QByteArray bytes = page.toUtf8();
    if (bytes.size() > MaxParsedPageBytes)
        bytes.truncate(MaxParsedPageBytes);
    HtmlDocument doc;
    if (bytes.isEmpty())
        return doc;
    // The text is UTF-8 already: a charset the page declares must not make the parser convert it again.
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                        HTML_PARSE_COMPACT | HTML_PARSE_IGNORE_ENC | HTML_PARSE_NODEFDTD;
    htmlDocPtr parsed = htmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, "UTF-8", options);
    if (!parsed)
        return doc;
    if (xmlNode* root = xmlDocGetRootElement(parsed)) {
        // The root's siblings (text before <html>) are not part of the page a browser shows.
        xmlNode* saved = root->next;
        root->next = nullptr;
        CopyTree(root, doc);
        root->next = saved;
    }
    xmlFreeDoc(parsed);
    return doc;
}

QString AttributeOf(const HtmlNode& node, QStringView name) {
    for (const auto& [key, value] : node.Attributes)
        if (key == name)
            return value;
    return {};
}

bool HasClass(const HtmlNode& node, QStringView name) {
    const QString classes = AttributeOf(node, u"class");
    for (QStringView item : QStringView(classes).split(u' ', Qt::SkipEmptyParts))
        if (item.trimmed() == name)
            return true;
    return false;
}

int FindElement(const HtmlDocument& doc, QStringView tag, QStringView attribute, QStringView value, int from, int end) {
    const int last = end < 0 ? int(doc.Nodes.size()) : end;
    for (int i = std::max(from, 0); i < last; ++i)
        if (Matches(doc.Nodes[i], tag, attribute, value))
            return i;
    return -1;
}

QList<int> FindElements(const HtmlDocument& doc, QStringView tag, QStringView attribute, QStringView value, int root) {
    QList<int> found;
    const int from = root < 0 ? 0 : root;
    const int end = root < 0 ? int(doc.Nodes.size()) : doc.Nodes[root].End;
    for (int i = from; i < end; ++i)
        if (Matches(doc.Nodes[i], tag, attribute, value))
            found.append(i);
    return found;
}

int FindByClass(const HtmlDocument& doc, QStringView tag, QStringView className, int root) {
    const int from = root < 0 ? 0 : root;
    const int end = root < 0 ? int(doc.Nodes.size()) : doc.Nodes[root].End;
    for (int i = from; i < end; ++i) {
        const HtmlNode& node = doc.Nodes[i];
        if (!node.Tag.isEmpty() && (tag.isEmpty() || node.Tag == tag) && HasClass(node, className))
            return i;
    }
    return -1;
}
