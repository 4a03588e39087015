#include "web/html_text.h"
#include "web/main_text.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString Shown(const QString& page) {
    return RenderVisibleText(ParseHtml(page)).Text;
}

MainTextRegion Locate(const QString& page, QString* text = nullptr) {
    const VisibleText shown = RenderVisibleText(ParseHtml(page));
    if (text)
        *text = shown.Text;
    return LocateMainText(shown);
}

} // namespace

TEST(VisibleText, ShowsWhatABrowserShows) {
    const struct {
        const char* name;
        QString page;
        QString shown;
    } cases[] = {
        {"a source line feed inside text is a blank", u"<p>◎片　　名　Kill\n            Time</p>"_s,
         u"◎片　　名　Kill Time"_s},
        {"br ends a line, even an empty one", u"<p>a<br>b<br/><br />c</p>"_s, u"a\nb\n\nc"_s},
        {"blocks end lines, inline elements do not", u"<div>a<span> b </span><b>c</b></div><div>d</div><p>e</p>"_s,
         u"a b c\nd\ne"_s},
        {"script, style, noscript, template, comments and the head are no text",
         u"<html><head><title>t</title><style>p{}</style></head><body><script>var a=1;</script>"
         u"<noscript>n</noscript><template>t</template><!-- c -->x</body></html>"_s,
         u"x"_s},
        {"hidden elements are no text", u"<div>a<span hidden>b</span><span style=\"display: none\">c</span></div>"_s,
         u"a"_s},
        {"entities, named and numeric, are decoded", u"<p>&eacute;&amp;&#x4E2D;&#25991;&nbsp;&lt;x&gt;</p>"_s,
         u"é&中文 <x>"_s},
        {"a no-break space is a blank that stays", u"<p>◎片&nbsp;&nbsp;名&nbsp;X</p>"_s, u"◎片  名 X"_s},
        {"table cells stand side by side on their row",
         u"<table><tr><td>导演</td><td>某某</td></tr>"
         u"<tr><th>年份</th><td>2010</td></tr></table>"_s,
         u"导演 某某\n年份 2010"_s},
        {"unclosed and misnested tags are recovered", u"<div><p>a<b>b<p>c</div>d"_s, u"ab\nc\nd"_s},
        {"preformatted text keeps its lines", u"<pre>a  b\nc</pre>"_s, u"a  b\nc"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Shown(c.page), c.shown);
    }
}

TEST(VisibleText, MarksTextOutsideLinksAndPlacesPictures) {
    const VisibleText shown = RenderVisibleText(ParseHtml(u"<p>ab <a href=x>cd</a><img src=p.jpg>e</p>"_s));
    ASSERT_EQ(shown.Text, u"ab cde"_s);
    EXPECT_EQ(QList<int>(shown.Marks.begin(), shown.Marks.end()), (QList<int>{1, 1, 0, 0, 0, 1}));
    ASSERT_EQ(shown.Pictures.size(), 1);
    EXPECT_EQ(shown.Pictures.front().first, 5);
}

TEST(ParseHtml, SurvivesHostileMarkup) {
    // Ten thousand unclosed elements (the parser stops descending, the text before stays), a page cut
    // inside a tag, and a character no text has.
    QString deep = u"<p>before</p>"_s;
    for (int i = 0; i < 10000; ++i)
        deep += u"<div><span>"_s;
    EXPECT_TRUE(Shown(deep + u"x"_s).startsWith(u"before"_s));
    EXPECT_EQ(Shown(u"<p>a</p><img src=\"b"_s), u"a"_s);
    EXPECT_TRUE(Shown(QString(u"<p>a\u0000b</p>"_s)).startsWith(u'a'));
    EXPECT_TRUE(ParseHtml(QString()).Nodes.isEmpty());
}

TEST(LocateMainText, FindsTheDenseTextABrowserShows) {
    const QString text(1000, u'x');
    const QString links = [] {
        QString list;
        for (int i = 0; i < 40; ++i)
            list += u"<a href=\"/m/%1.html\">"_s.arg(i) + QString(30, u'y') + u"</a><br/>"_s;
        return list;
    }();
    const struct {
        const char* name;
        QString page;
        bool found;
    } cases[] = {
        {"a block of text", u"<div>"_s + text + u"</div>"_s, true},
        {"thin text never passes 200", u"<div>"_s + QString(150, u'x') + u"</div>"_s, false},
        {"sparse text", u"<div>"_s + QString(u"x   "_s).repeated(250) + u"</div>"_s, false},
        {"text in an attribute", u"<div title=\""_s + text + u"\"></div>"_s, false},
        {"text in a script", u"<script>"_s + text + u"</script>"_s, false},
        {"text in the head", u"<html><head><title>"_s + text + u"</title></head><body></body></html>"_s, false},
        {"link text", links, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Locate(c.page).Found, c.found);
    }
}

TEST(LocateMainText, TheLongestRegionWinsAndALabelledOneOverAny) {
    const QString gap = u"<p>"_s + QString(u"<a href=x>link</a> "_s).repeated(200) + u"</p>"_s;
    QString text;
    MainTextRegion region =
        Locate(u"<p>"_s + QString(600, u'a') + u"</p>"_s + gap + u"<p>"_s + QString(800, u'b') + u"</p>"_s, &text);
    ASSERT_TRUE(region.Found);
    EXPECT_TRUE(text.mid(region.Start, region.Length).startsWith(u'b'));

    // Labelled lines, each in a <div> with a long style attribute, their first line thin, win over
    // longer prose; the region starts at that first line.
    const QString style = u" style=\""_s + QString(u"margin:0;padding:0;"_s).repeated(40) + u"\""_s;
    QString labelled = u"<div"_s + style + u">◎年　　代　2008</div>"_s + QString(u"<br>"_s).repeated(30);
    for (int i = 0; i < 20; ++i)
        labelled += u"<div"_s + style + u">◎国　　家　美国和英国合拍的一部电影</div>"_s;
    region = Locate(u"<p>"_s + QString(3000, u'p') + u"</p>"_s + gap + labelled, &text);
    ASSERT_TRUE(region.Found);
    EXPECT_TRUE(text.mid(region.Start, region.Length).startsWith(u"◎年　　代　2008\n"_s))
        << text.mid(region.Start, 40).toStdString();
}
