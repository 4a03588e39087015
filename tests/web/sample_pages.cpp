#include "tests/web/sample_pages.h"

#include <QStringList>
#include <cerrno>
#include <gtest/gtest.h>
#include <iconv.h>

using namespace Qt::StringLiterals;

QByteArray EncodeAs(const QString& text, const char* codePage) {
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open(codePage, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << codePage;
    QByteArray out(utf8.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = static_cast<size_t>(utf8.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    EXPECT_NE(result, static_cast<size_t>(-1))
        << "not encodable in " << codePage << " near " << std::string(in, std::min<size_t>(inLeft, 12));
    iconv_close(cd);
    out.truncate(outPtr - out.constData());
    return out;
}

QString SampleInfoPage(const QString& charset, bool traditional) {
    const QString meta =
        charset.isEmpty() ? QString()
                          : u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset="_s + charset + u"\" />"_s;
    const QString story = traditional ? u"這是一部關於英雄與城市的電影，講述了正義與混亂之間的較量。"_s
                                      : u"这是一部关于英雄与城市的电影，讲述了正义与混乱之间的较量。"_s;
    QString overview;
    for (int line = 0; line < 4; ++line)
        overview += u"　　"_s + story.repeated(4) + u"<br />\r\n"_s;
    const QString labels =
        traditional ? u"◎譯　　名　蝙蝠俠：黑暗騎士<br />◎片　　名　The Dark Knight<br />◎年　　代　2008<br />"
                      u"◎國　　家　美國<br />◎IMDB評分　8.9/10 from 2,000,000 users<br />◎簡　　介<br /><br />\r\n"_s
                    : u"◎译　　名　蝙蝠侠：黑暗骑士<br />◎片　　名　The Dark Knight<br />◎年　　代　2008<br />"
                      u"◎国　　家　美国<br />◎类　　别　动作/犯罪/剧情<br />"
                      u"◎IMDB评分　8.9/10 from 2,000,000 users<br />◎简　　介<br /><br />\r\n"_s;
    QString page = u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">\r\n<html><head>"_s + meta +
                   u"<title>The Dark Knight</title>\r\n"
                   u"<script type=\"text/javascript\">var menu = \""_s +
                   story +
                   u"\"; function show() {}"
                   u"</script>\r\n"
                   u"<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/style.css\" /></head>\r\n"
                   u"<body><div class=\"header\"><div class=\"nav\"><ul class=\"menu\"><li class=\"item\">"
                   u"<a href=\"/index.html\" class=\"first\">Home</a></li><li class=\"item\"><a href=\"/list/1.html\" "
                   u"class=\"second\">List</a></li></ul></div></div>\r\n"
                   u"<div class=\"content\" id=\"main-content-block\"><div class=\"title_all\" style=\"width:100%\">"
                   u"</div><div id=\"Zoom\"><span style=\"font-size:12px\"><p><br />"
                   u"<img border=\"0\" src=\"http://img.example.com/poster.jpg\" alt=\"\" /><br /><br />\r\n"_s +
                   labels + overview +
                   u"<img border=\"0\" src=\"http://img.example.com/shot.jpg\" alt=\"\" /></p>"
                   u"<p>"_s +
                   (traditional ? u"發佈時間"_s : u"发布时间"_s) +
                   u"：2009-01-01</p>"
                   u"<p><strong><font color=\"#ff0000\" size=\"4\">"_s +
                   (traditional ? u"下載地址"_s : u"下载地址"_s) +
                   u"：</font></strong></p>\r\n"
                   u"<table border=\"0\" cellspacing=\"1\" cellpadding=\"10\" width=\"95%\"><tbody><tr>"
                   u"<td style=\"word-wrap: break-word\" bgcolor=\"#fdfddf\">"
                   u"<a href=\"ftp://dl.example.com/The.Dark.Knight.mkv\">ftp://dl.example.com/The.Dark.Knight.mkv</a>"
                   u"</td></tr></tbody></table></span></div></div>\r\n"
                   u"<div class=\"footer\" style=\"text-align:center;margin-top:10px;padding:8px\">"
                   u"<div class=\"links\"></div><div class=\"counter\"></div></div></body></html>\r\n"_s;
    return page;
}

namespace {

// `count` lines of links to other movies, each a dense run of text inside its anchor.
QString LinkList(const QString& heading, int count) {
    QString list = u"<div class=\"co_area2\"><div class=\"title_all\"><p>"_s + heading + u"</p></div><ul>\n"_s;
    for (int i = 0; i < count; ++i)
        list +=
            u"·<a href='/html/gndy/2009/%1.html'>2009年高分动作剧情《另一部很好看的电影第%1部》BD中英双字</a><br/>\n"_s
                .arg(i + 1);
    return list + u"</ul></div>\n"_s;
}

const QString Story = u"这是一部关于英雄与城市的电影，讲述了正义与混乱之间的较量。"_s;

} // namespace

QString LinkListInfoPage() {
    const QString indent(40, u' ');
    const QString labels[] = {
        u"◎译　　名　蝙蝠侠：黑暗骑士"_s,
        u"◎片　　名　The Dark Knight"_s,
        u"◎年　　代　2008"_s,
        u"◎国　　家　美国"_s,
        u"◎类　　别　动作/犯罪/剧情"_s,
        u"◎语　　言　英语"_s,
        u"◎字　　幕　中英双字幕"_s,
        u"◎IMDB评分　8.9/10 from 2,000,000 users"_s,
        u"◎片　　长　152分钟"_s,
    };
    QString block = indent + u"<p><img border=\"0\"\n"_s + indent + u"src=\"http://img.example.com/poster.jpg\"\n"_s +
                    indent + u"alt=\"\"/><br/><br/>\n"_s;
    for (const QString& line : labels)
        block += indent + line + u"<br/>\n"_s;
    block += indent + u"<img src=\"http://img.example.com/shot.jpg\" alt=\"\"/><br/>\n"_s;
    block += indent + u"◎简　　介<br/><br/>\n"_s + indent + u"　　"_s + Story.repeated(12) + u"<br/>\n"_s;
    block += indent + u"<img src=\"http://img.example.com/shot2.jpg\" alt=\"\"/><br/>\n"_s;
    return u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
           u"<title>蝙蝠侠：黑暗骑士</title>\n<script type=\"text/javascript\">var a = \""_s +
           Story.repeated(20) + u"\";</script>\n</head>\n<body>\n<div id=\"header\"></div>\n"_s +
           LinkList(u"本站推荐电影"_s, 30) +
           u"<div class=\"co_content8\"><ul>发布时间：2009-01-01\n<div id=\"Zoom\"><span style=\"FONT-SIZE: 12px\">"
           u"<td>\n"_s +
           block +
           u"<strong><font color=\"#ff0000\">【下载地址】</font></strong><br/>\n"
           u"<table border=\"0\" width=\"95%\"><tbody><tr><td bgcolor=\"#fdfddf\">"
           u"<a href=\"ftp://dl.example.com/The.Dark.Knight.mkv\">ftp://dl.example.com/The.Dark.Knight.mkv</a>"
           u"</td></tr></tbody></table></td></span></div></ul></div>\n"_s +
           LinkList(u"●本栏目本周最新资源列表："_s, 30) + u"<div id=\"footer\"></div></body></html>\n"_s;
}

QString ParagraphInfoPage() {
    const QString labels[] = {
        u"◎译　　名 &nbsp;蝙蝠侠：黑暗骑士&nbsp;"_s,
        u"◎片　　名 &nbsp;The Dark Knight&nbsp;"_s,
        u"◎年　　代 &nbsp;2008&nbsp;"_s,
        u"◎国　　家 &nbsp;美国"_s,
        u"◎电影类型 &nbsp;动作/犯罪/剧情"_s,
        u"◎iMDB评分 &nbsp;8.9/10 from 2,000,000 users &nbsp;"_s,
        u"◎片　　长 &nbsp;152 分钟"_s,
    };
    QString block;
    for (const QString& line : labels)
        block += u"<p>\r\n\t"_s + line + u"</p>\r\n"_s;
    return u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
           u"<title>蝙蝠侠：黑暗骑士下载</title></head>\r\n<body>\r\n"
           u"<div id=\"menu\"><ul><li><a href=\"/\">首页</a></li><li><a "
           u"href=\"/html/dongzuo/\">动作片</a></li></ul></div>\r\n"
           u"<div id=\"showdesc\">片名：蝙蝠侠：黑暗骑士   发布时间：2009-01-01</div>\r\n"
           u"<div id=\"showinfo\" style=\"padding:10px;\">\r\n蝙蝠侠：黑暗骑士迅雷下载地址和剧情：<br/>\r\n"
           u"<img onclick=\"if(this.width>screen.width-461) window.open('http://img.example.com/poster.jpg');\" "
           u"src=\"http://img.example.com/poster.jpg\" /><br />\r\n"_s +
           block + u"<p>\r\n\t◎简　　介</p>\r\n<p>\r\n\t　　"_s + Story.repeated(12) +
           u"</p>\r\n<p><strong>[下载地址]：</strong></p>\r\n<table><tbody><tr><td>"
           u"<a href=\"ftp://dl.example.com/The.Dark.Knight.mkv\">ftp://dl.example.com/The.Dark.Knight.mkv</a>"
           u"</td></tr></tbody></table>\r\n</div>\r\n<div class=\"tishi\">请把本站分享给你的朋友</div>\r\n"
           u"<script>document.write('<div>' + window.location + '</div>');"_s +
           u"var imgObj = document.images; for (i = 0; i < imgObj.length; i++) { imgObj[i].title = ''; }\r\n"_s
               .repeated(8) +
           u"</script>\r\n</body></html>\r\n"_s;
}

QByteArray SampleResultsPage(const QStringList& links) {
    QString page =
        u"<html><head><meta charset=\"utf-8\" /><title>results</title></head><body><ol id=\"results\">\r\n"_s;
    int index = 0;
    for (const QString& link : links)
        page += u"<li class=\"algo\"><h2><a href=\"%1\" h=\"ID=SERP,%2\">结果 %2</a></h2></li>\r\n"_s.arg(link).arg(
            ++index);
    page += u"</ol></body></html>\r\n"_s;
    return EncodeAs(page, "CP936");
}

QString BingClickThrough(const QString& target) {
    const QByteArray encoded = target.toUtf8().toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    return u"https://www.bing.com/ck/a?!&amp;&amp;p=5e1f0c2d9a&amp;ptn=3&amp;ver=2&amp;hsh=4&amp;u=a1"_s +
           QString::fromLatin1(encoded) + u"&amp;ntb=1"_s;
}

QByteArray SampleBingPage(const QStringList& cards, const QStringList& organic) {
    QString page = u"<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\" /><title>results</title>"
                   u"<style>#b_results>.b_algo{padding:12px}</style></head><body>\n"
                   u"<header id=\"b_header\"><a href=\"/?FORM=Z9FD1\">home</a><ul><li id=\"b-scopeListItem-images\">"
                   u"<a href=\""_s +
                   BingClickThrough(u"/images/search?q=film&FORM=HDRSC3"_s) +
                   u"\">Images</a></li></ul></header>\n<main><ol id=\"b_results\">"_s;
    if (!cards.isEmpty()) {
        page += u"<li class=\"b_ans b_top\"><div class=\"rd_gencon\"><h2 class=\"rd_sg_ttl\"><a href=\""_s +
                BingClickThrough(cards.first()) + u"\">answer</a></h2>"_s;
        for (const QString& card : cards)
            page += u"<div class=\"rd_gencon_attr\"><a href=\""_s + BingClickThrough(card) + u"\">source</a></div>"_s;
        page += u"</div></li>"_s;
    }
    page += u"\n"_s;
    int index = 0;
    for (const QString& target : organic) {
        ++index;
        page +=
            u"<li class=\"b_algo\" data-id iid=SERP.%1><div class=\"b_tpcn\"><a class=\"tilk\" href=\""_s.arg(index) +
            BingClickThrough(target) + u"\" h=\"ID=SERP,%1.1\"><div class=\"tpic\"></div></a></div>"_s.arg(index) +
            u"<h2><a href=\""_s + BingClickThrough(target) + u"\" h=\"ID=SERP,%1.2\">result %1</a></h2>"_s.arg(index) +
            u"<div class=\"b_caption\"><p class=\"b_lineclamp2\">text of the result</p></div></li>"_s;
    }
    page += u"</ol></main>\n<footer id=\"b_footer\"><div id=\"b_footerItems\"><a href=\"http://go.microsoft.com/"
            u"fwlink/?LinkId=521839\">Privacy</a><a href=\"https://www.bing.com/account/general\">Settings</a>"
            u"</div></footer></body></html>\n"_s;
    return page.toUtf8();
}

QByteArray SampleSogouPage(const QStringList& cards, const QStringList& organic, const QStringList& music) {
    QString page = u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>搜索结果</title></head><body>\n"
                   u"<div class=\"header-box\"><a href=\"/\">首页</a><a href=\"http://pic.sogou.com/pics?query=x\">"
                   u"图片</a></div>\n<div id=\"main\"><div class=\"results\">\n"_s;
    if (!cards.isEmpty()) {
        page += u"<div class=\"vrwrap special-wrap\"><div class=\"star-wiki\">\n"_s;
        for (const QString& card : cards)
            page +=
                u"<div class=\"attribute-centent \"><a href=\""_s + card + u"\" target=\"_blank\">条目</a></div>\n"_s;
        page += u"</div></div>\n"_s;
    }
    int index = 0;
    for (const QString& link : organic) {
        ++index;
        page += u"<div class=\"vrwrap\">\n<h3 class=\"vr-title  \">\n<a id=\"sogou_vr_%1\" target=\"_blank\""
                u" href=\"%2\">结果 %1</a>\n</h3>\n<div class=\"img-wrap \"><a class=\"img-height  \" href=\"%2\""
                u" target=\"_blank\"><img src=\"//img.sogoucdn.com/%1.jpg\"></a></div>\n"
                u"<div class=\"fb\"><a href=\"http://snapshot.sogoucdn.com/websnapshot?ie=utf8&amp;url=x%1\">"
                u"快照</a></div>\n</div>\n"_s.arg(index)
                    .arg(link);
    }
    if (!music.isEmpty()) {
        page += u"<div class=\"vrwrap\"><div class=\"hot-music\">"_s;
        for (const QString& link : music)
            page += u"<a class=\"music-name\" href=\""_s + link + u"\">歌曲</a>"_s;
        page += u"</div></div>\n"_s;
    }
    page +=
        u"</div></div>\n<div id=\"pagebar_container\"><a href=\"?query=x&amp;page=2&amp;ie=utf8\">2</a></div>\n"
        u"<div class=\"footer\"><a href=\"http://www.sogou.com/docs/terms.htm?v=1\">条款</a></div></body></html>\n"_s;
    return page.toUtf8();
}
