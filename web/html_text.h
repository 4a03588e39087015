#pragma once

#include "web/html_document.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <vector>

// A page's text as a browser shows it: script, style, noscript, template, the head and hidden elements
// are not text; blanks collapse as CSS `white-space: normal` does (a source line feed is a blank); lines
// end at <br> and at block elements; a no-break space is a blank that does not collapse.
struct VisibleText {
    QString Text;                              // lines separated by '\n', without blanks at either end of a line
    std::vector<uint8_t> Marks;                // per character: 1 for a non-blank outside links, else 0
    QList<std::pair<qsizetype, int>> Pictures; // img elements: position in Text, node index
};

// Renders the subtree of `root` (-1: the whole document).
VisibleText RenderVisibleText(const HtmlDocument& doc, int root = -1);

// The shown text of one element, lines joined by '\n'; empty for -1.
QString ShownText(const HtmlDocument& doc, int node);

// The shown text of one element on one line (its lines joined by a blank).
QString ShownLine(const HtmlDocument& doc, int node);
