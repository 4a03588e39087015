#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <utility>

// One node of a parsed page: an element (Tag set, lower case) or a text run (Tag empty). Nodes are kept
// in document order, so an element's descendants are the nodes after it up to End.
struct HtmlNode {
    QString Tag;
    QString Text;                                  // a text run's characters, entities decoded; empty for elements
    QList<std::pair<QString, QString>> Attributes; // names in lower case, values decoded
    int Parent = -1;
    int End = 0; // one past the last descendant
};

struct HtmlDocument {
    QList<HtmlNode> Nodes; // node 0 is the root element when the page had any
};

// Pages larger than this are read only up to it: no information page needs more, and it bounds the
// parser's work on hostile input.
inline constexpr qsizetype MaxParsedPageBytes = 4 * 1024 * 1024;

// Parses a page already decoded to text, as a browser's lenient parser would (unclosed and misnested
// tags recovered, no network access, no messages). Comments and processing instructions are dropped.
HtmlDocument ParseHtml(const QString& page);

// The value of attribute `name` (lower case) of element `node`, or a null string.
QString AttributeOf(const HtmlNode& node, QStringView name);

// True when the element's class attribute lists `name`.
bool HasClass(const HtmlNode& node, QStringView name);

// The first element at or after `from`, before `end` (-1: the whole document), with the tag (empty: any)
// and, when `attribute` is given, that attribute equal to `value`; -1 when there is none.
int FindElement(const HtmlDocument& doc, QStringView tag, QStringView attribute = {}, QStringView value = {},
                int from = 0, int end = -1);

// Every element of the subtree of `root` (or the whole document for -1) matching as FindElement does.
QList<int> FindElements(const HtmlDocument& doc, QStringView tag, QStringView attribute = {}, QStringView value = {},
                        int root = -1);

// The first element with the given class in the subtree of `root` (-1: the document), or -1.
int FindByClass(const HtmlDocument& doc, QStringView tag, QStringView className, int root = -1);
