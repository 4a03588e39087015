#include "web/html_text.h"

#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool NeverShown(const QString& tag) {
    static const QSet<QString> tags = {u"script"_s, u"style"_s,  u"noscript"_s, u"template"_s,
                                       u"head"_s,   u"title"_s,  u"iframe"_s,   u"object"_s,
                                       u"svg"_s,    u"select"_s, u"button"_s,   u"textarea"_s};
    return tags.contains(tag);
}

bool IsBlock(const QString& tag) {
    static const QSet<QString> tags = {
        u"address"_s, u"article"_s, u"aside"_s,  u"blockquote"_s, u"body"_s, u"center"_s,   u"dd"_s,
        u"details"_s, u"dialog"_s,  u"div"_s,    u"dl"_s,         u"dt"_s,   u"fieldset"_s, u"figcaption"_s,
        u"figure"_s,  u"footer"_s,  u"form"_s,   u"h1"_s,         u"h2"_s,   u"h3"_s,       u"h4"_s,
        u"h5"_s,      u"h6"_s,      u"header"_s, u"hr"_s,         u"html"_s, u"li"_s,       u"main"_s,
        u"menu"_s,    u"nav"_s,     u"ol"_s,     u"p"_s,          u"pre"_s,  u"section"_s,  u"summary"_s,
        u"table"_s,   u"tbody"_s,   u"thead"_s,  u"tfoot"_s,      u"tr"_s,   u"ul"_s,       u"caption"_s,
        u"legend"_s};
    return tags.contains(tag);
}

// Hidden by the page itself, not by a style sheet: the hidden attribute or an inline display:none.
bool IsHidden(const HtmlNode& node) {
    for (const auto& [name, value] : node.Attributes) {
        if (name == u"hidden")
            return true;
        if (name == u"style") {
            QString style = value;
            style.remove(u' ');
            if (style.contains(u"display:none", Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

bool IsCollapsible(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

class Renderer {
public:
    explicit Renderer(VisibleText& out) : out(out) {}

    void Text(const QString& text, bool link, bool preformatted) {
        for (QChar c : text) {
            if (preformatted && c == u'\n') {
                LineEnd(true);
                continue;
            }
            if (!preformatted && IsCollapsible(c)) {
                blankPending = true;
                continue;
            }
            if (c == u'\u00a0' || (preformatted && IsCollapsible(c)))
                c = u' ';
            if (breakPending && !AtLineStart())
                Append(u'\n', 0);
            breakPending = false;
            if (blankPending && !AtLineStart() && out.Text.back() != u' ')
                Append(u' ', 0);
            blankPending = false;
            if (c == u' ' && AtLineStart())
                continue;
            Append(c, !link && c != u' ');
        }
    }

    // A block's edge: the next text starts a line.
    void BlockEdge() {
        breakPending = true;
        blankPending = false;
    }

    // A <br>: ends the line even when it is empty.
    void LineEnd(bool always) {
        TrimLine();
        if (always || !AtLineStart())
            Append(u'\n', 0);
        breakPending = false;
        blankPending = false;
    }

    // Table cells stand side by side on their row.
    void CellEdge() {
        if (!AtLineStart())
            blankPending = true;
    }

    // A picture stands where the next text would: on a new line after a block's edge.
    void Picture(int node) {
        if (breakPending && !AtLineStart())
            Append(u'\n', 0);
        breakPending = false;
        out.Pictures.append({out.Text.size(), node});
    }

    void Finish() {
        while (!out.Text.isEmpty() && (out.Text.back() == u' ' || out.Text.back() == u'\n')) {
            out.Text.chop(1);
            out.Marks.pop_back();
        }
        for (auto& picture : out.Pictures)
            picture.first = std::min(picture.first, out.Text.size());
    }

private:
    bool AtLineStart() const { return out.Text.isEmpty() || out.Text.back() == u'\n'; }

    void TrimLine() {
        while (!out.Text.isEmpty() && out.Text.back() == u' ') {
            out.Text.chop(1);
            out.Marks.pop_back();
        }
    }

    void Append(QChar c, uint8_t mark) {
        if (c == u'\n')
            TrimLine();
        out.Text.append(c);
        out.Marks.push_back(mark);
    }

    VisibleText& out;
    bool breakPending = false;
    bool blankPending = false;
};

struct Open {
    int End;
    bool Block;
    bool Link;
    bool Pre;
    bool Cell;
};

} // namespace

VisibleText RenderVisibleText(const HtmlDocument& doc, int root) {
    VisibleText out;
    if (doc.Nodes.isEmpty() || root >= doc.Nodes.size())
        return out;
    const int first = root < 0 ? 0 : root;
    const int end = root < 0 ? int(doc.Nodes.size()) : doc.Nodes[root].End;
    Renderer renderer(out);
    QList<Open> open;
    int links = 0;
    int pre = 0;
    for (int i = first; i < end;) {
        while (!open.isEmpty() && open.back().End <= i) {
            const Open closed = open.takeLast();
            links -= closed.Link;
            pre -= closed.Pre;
            if (closed.Block)
                renderer.BlockEdge();
            else if (closed.Cell)
                renderer.CellEdge();
        }
        const HtmlNode& node = doc.Nodes[i];
        if (node.Tag.isEmpty()) {
            renderer.Text(node.Text, links > 0, pre > 0);
            ++i;
            continue;
        }
        if (NeverShown(node.Tag) || IsHidden(node)) {
            i = std::max(node.End, i + 1);
            continue;
        }
        if (node.Tag == u"br") {
            renderer.LineEnd(true);
        } else if (node.Tag == u"img") {
            renderer.Picture(i);
        } else {
            const bool block = IsBlock(node.Tag);
            const bool cell = node.Tag == u"td" || node.Tag == u"th";
            if (block)
                renderer.BlockEdge();
            else if (cell)
                renderer.CellEdge();
            open.append({node.End, block, node.Tag == u"a", node.Tag == u"pre", cell});
            links += node.Tag == u"a";
            pre += node.Tag == u"pre";
        }
        ++i;
    }
    renderer.Finish();
    return out;
}

QString ShownText(const HtmlDocument& doc, int node) {
    if (node < 0)
        return {};
    return RenderVisibleText(doc, node).Text.trimmed();
}

QString ShownLine(const HtmlDocument& doc, int node) {
    QString text = ShownText(doc, node);
    text.replace(u'\n', u' ');
    return text;
}
