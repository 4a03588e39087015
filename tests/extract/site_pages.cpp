#include "tests/extract/site_pages.h"

using namespace Qt::StringLiterals;

namespace {

QString Filler(const QString& word, int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += word + QString::number(i) + u' ';
    return text;
}

QString BigStyle() {
    return u"<style>"_s + QString(u".c{margin:0;padding:0;color:#333}\n"_s).repeated(300) + u"</style>"_s;
}

QString Reviews() {
    QString reviews = u"<div class=\"reviews\"><h2>影评</h2>"_s;
    for (int i = 0; i < 12; ++i)
        reviews +=
            u"<div class=\"review\"><img class=\"avatar\" src=\"https://img.db.example/icon/u%1.jpg\">"
            u"<p>这部电影让我想了很久，演员的表演非常动人，故事的节奏也很好，推荐给每一个喜欢电影的人。第%1条</p></div>"_s
                .arg(i);
    return reviews + u"</div>"_s;
}

QString Recommendations() {
    QString list = u"<div class=\"recommendations\"><h2>喜欢这部电影的人也喜欢</h2>"_s;
    for (int i = 0; i < 10; ++i)
        list += u"<dl><dt><a href=\"/subject/9%1/\"><img src=\"https://img.db.example/view/photo/s_ratio_poster/"
                u"public/other%1.jpg\" alt=\"别的片%1\"></a></dt><dd><a href=\"/subject/9%1/\">别的片%1</a></dd></dl>"_s
                    .arg(i);
    return list + u"</div>"_s;
}

QString Stills(int count) {
    QString list = u"<div id=\"related-pic\"><h2>剧照</h2><ul class=\"related-pic-bd\">"_s
                   u"<li class=\"label-trailer\"><a style=\"background-image:url(https://img.db.example/t.jpg)\">"
                   u"</a></li>"_s;
    for (int i = 0; i < count; ++i)
        list += u"<li><a href=\"/photos/photo/%1/\"><img src=\"https://img.db.example/view/photo/sqxs/public/s%1.jpg\" "
                u"alt=\"图片\"></a></li>"_s.arg(i);
    return list + u"</ul></div>"_s;
}

} // namespace

QString DatabasePage2021() {
    return u"<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>\n   长夜行舟 (豆瓣)\n</title>"
           u"<meta property=\"og:title\" content=\"长夜行舟\"><meta property=\"og:image\" "
           u"content=\"https://img.db.example/view/photo/s_ratio_poster/public/p100.jpg\">"_s +
           BigStyle() +
           u"<script>var config = {\"name\": \"not the film\"};</script>"
           u"<script type=\"application/ld+json\">\n{\n  \"@context\": \"http://schema.org\",\n"
           u"  \"name\": \"长夜行舟 The Long Night Boat\",\n  \"url\": \"/subject/100/\",\n"
           u"  \"image\": \"https://img.db.example/view/photo/s_ratio_poster/public/p100.jpg\",\n"
           u"  \"director\": [{\"@type\": \"Person\", \"url\": \"/celebrity/1/\", \"name\": \"王某 Wang Mou\"}],\n"
           u"  \"author\": [{\"@type\": \"Person\", \"name\": \"李某\"}],\n"
           u"  \"actor\": [{\"@type\": \"Person\", \"name\": \"张某\"}, {\"@type\": \"Person\", \"name\": \"赵某\"}],\n"
           u"  \"datePublished\": \"2021-05-01\",\n  \"genre\": [\"剧情\", \"犯罪\"],\n"
           u"  \"description\": \"一位船夫在长夜里\t渡过一条河\n的故事。\",\n  \"@type\": \"Movie\",\n"
           u"  \"aggregateRating\": {\"@type\": \"AggregateRating\", \"ratingCount\": \"1000\", \"bestRating\": \"10\","
           u" \"worstRating\": \"2\", \"ratingValue\": \"9.1\"}\n}\n</script></head><body>"
           u"<div id=\"db-global-nav\"><a href=\"/\">首页</a> <a href=\"/login\">登录</a></div>"
           u"<div id=\"content\"><h1><span property=\"v:itemreviewed\">长夜行舟 The Long Night Boat</span>\n"
           u"<span class=\"year\">(1995)</span></h1><div class=\"subject\"><div id=\"mainpic\"><a href=\"/photos\">"
           u"<img src=\"https://img.db.example/view/photo/s_ratio_poster/public/p100.webp\" rel=\"v:image\"></a></div>"
           u"<div id=\"info\">\n<span><span class=\"pl\">导演</span>: <span class=\"attrs\"><a href=\"/c/1\" "
           u"rel=\"v:directedBy\">王某</a></span></span><br/>\n<span><span class=\"pl\">编剧</span>: <span "
           u"class=\"attrs\"><a>李某</a></span></span><br/>\n<span class=\"actor\"><span class=\"pl\">主演</span>: "
           u"<span class=\"attrs\"><a rel=\"v:starring\">张某</a> / <a rel=\"v:starring\">赵某</a></span></span><br/>\n"
           u"<span class=\"pl\">类型:</span> <span property=\"v:genre\">剧情</span> / <span property=\"v:genre\">犯罪"
           u"</span><br/>\n<span class=\"pl\">制片国家/地区:</span> 美国 / 英国<br/>\n<span class=\"pl\">语言:</span>"
           u" 英语<br/>\n<span class=\"pl\">上映日期:</span> <span property=\"v:initialReleaseDate\" "
           u"content=\"1995-09-23(美国)\">1995-09-23(美国)</span> / <span property=\"v:initialReleaseDate\">"
           u"2021-05-01(中国大陆重映)</span><br/>\n<span class=\"pl\">片长:</span> <span property=\"v:runtime\">"
           u"120分钟</span><br/>\n<span class=\"pl\">又名:</span> 夜船 / Night Boat<br/>\n"
           u"<span class=\"pl\">IMDb:</span> tt0000100<br>\n</div></div>"
           u"<div id=\"interest_sectl\"><strong class=\"ll rating_num\" property=\"v:average\">9.1</strong>"
           u"<span property=\"v:best\" content=\"10.0\"></span></div>"
           u"<div class=\"related-info\"><h2>长夜行舟的剧情简介</h2><span property=\"v:summary\" class=\"\">"
           u"\n　　一位船夫在长夜里渡过一条河的故事。他遇见了……<a href=\"#\">(展开全部)</a></span>"
           u"<span class=\"all hidden\">\n　　一位船夫在长夜里渡过一条河的故事。<br/>\n　　他遇见了许多人。</span>"
           u"</div>"_s +
           Stills(7) + Recommendations() + Reviews() +
           u"</div><div id=\"footer\">© 2005－2021 db.example</div></body></html>"_s;
}

QString DatabasePage2018() {
    return u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
           u"<title>荒村旧事 (豆瓣)</title>"_s +
           BigStyle() +
           u"</head><body><div id=\"content\"><h1><span property=\"v:itemreviewed\">荒村旧事</span>"
           u"<span class=\"year\">(2011)</span></h1><div id=\"mainpic\"><img "
           u"src=\"https://img.db.example/view/photo/s_ratio_poster/public/p200.jpg\" rel=\"v:image\"></div>"
           u"<div id=\"info\"><span><span class=\"pl\">导演</span>: <a>陈某</a></span><br/>"
           u"<span class=\"pl\">类型:</span> <span property=\"v:genre\">剧情</span><br/>"
           u"<span class=\"pl\">制片国家/地区:</span> 中国大陆<br/><span class=\"pl\">上映日期:</span> "
           u"<span property=\"v:initialReleaseDate\">2011</span><br/><span class=\"pl\">又名:</span> Old Village<br/>"
           u"<span class=\"pl\">IMDb链接:</span> <a "
           u"href=\"http://www.imdb.com/title/tt0000200\">tt0000200</a><br></div>"
           u"<div class=\"rating_wrap\"><strong class=\"ll rating_num\" property=\"v:average\"></strong>"
           u"<div class=\"rating_sum\">暂无评分</div></div>"
           u"<div class=\"related-info\"><span property=\"v:summary\">　　村里的老人讲起旧事。</span></div>"_s +
           Stills(2) + Recommendations() + u"</div></body></html>"_s;
}

QString EnglishTitlePage() {
    QString chips;
    for (int i = 0; i < 400; ++i)
        chips += u"<div class=\"c%1\"><span><a href=\"/x/%1\">Chip %1</a></span></div>"_s.arg(i);
    return u"<html><head><title>Quiet Harbor (2024) - Title Site</title><script type=\"application/ld+json\">"
           u"[{\"@context\":\"https://schema.org\",\"@graph\":[{\"@type\":\"WebPage\",\"name\":\"page\"},"
           u"{\"@type\":\"Movie\",\"name\":\"Quiet Harbor\",\"alternateName\":\"Puerto Tranquilo\","
           u"\"image\":\"https://img.titles.example/poster._V1_.jpg\",\"description\":\"A lighthouse keeper finds a "
           u"boat that should not exist.\",\"genre\":[\"Drama\",\"Mystery\"],\"datePublished\":\"2024-03-08\","
           u"\"aggregateRating\":{\"@type\":\"AggregateRating\",\"ratingCount\":1200,\"bestRating\":10,"
           u"\"ratingValue\":7.4},\"director\":[{\"@type\":\"Person\",\"name\":\"Ann Doe\"}],"
           u"\"creator\":[{\"@type\":\"Organization\",\"name\":\"North Films\"}]}]}]</script>"_s +
           BigStyle() +
           u"</head><body><div id=\"__next\"><h1 data-testid=\"hero__pageTitle\"><span>Quiet Harbor</span>"
           u"</h1><ul><li><a href=\"/title/tt1/releaseinfo/\">2024</a></li><li>1h 50m</li></ul>"
           u"<div data-testid=\"hero-rating-bar__aggregate-rating__score\"><span>7.4</span><span>/10</span>"
           u"</div><div data-testid=\"hero-media__poster\"><img src=\"https://img.titles.example/"
           u"poster._V1_UY281_.jpg\"></div>"_s +
           chips +
           u"<p data-testid=\"plot\"><span data-testid=\"plot-xl\">A lighthouse keeper finds a boat that should not "
           u"exist.</span></p><li data-testid=\"title-details-origin\"><span>Country of origin</span><ul><li><a "
           u"href=\"/c\">United Kingdom</a></li><li><a href=\"/c\">Ireland</a></li></ul></li>"
           u"<section><h3>More like this</h3><img src=\"https://img.titles.example/other1.jpg\"><img "
           u"src=\"https://img.titles.example/other2.jpg\"></section><script>window.__data = {\"big\": \""_s +
           Filler(u"blob"_s, 3000) + u"\"};</script></div></body></html>"_s;
}

QString TicketSitePage() {
    return u"<html><head><meta charset=\"utf-8\"><title>山海间_购票_剧情介绍_猫眼</title><style>@font-face {"
           u"font-family: stonefont; src: url('//vfile.example/f.woff')} .stonefont {font-family: stonefont;}</style>"
           u"</head><body><div class=\"header\"><div class=\"user-avatar\"><img "
           u"src=\"https://p0.ticket.example/movie/avatar.png\"></div></div><div class=\"banner\"><div "
           u"class=\"celeInfo-left\"><div class=\"avatar-shadow\"><img class=\"avatar\" "
           u"src=\"https://p1.ticket.example/moviemachine/cover.jpg@464w_644h_1e_1c\"></div></div>"
           u"<div class=\"celeInfo-right\"><div class=\"movie-brief-container\"><h1 class=\"name\">山海间</h1>"
           u"<div class=\"ename ellipsis\">Between Hills and Sea</div><ul><li class=\"ellipsis\">"
           u"<a class=\"text-link\" href=\"/films?catId=1\"> 剧情 </a><a class=\"text-link\"> 战争 </a></li>"
           u"<li class=\"ellipsis\">\n        中国大陆\n          / 130分钟\n        </li>"
           u"<li class=\"ellipsis\">2020-08-21 09:00中国大陆上映</li></ul></div><div class=\"star-wrapper\">"
           u"<div class=\"star-on\" style=\"width:88%;\"></div></div><span class=\"index-left\"><span "
           u"class=\"stonefont\">&#xe807;.&#xf1e0;</span></span></div></div></div>"
           u"<div class=\"module\"><h2>剧情简介</h2><div class=\"mod-content\"><span class=\"dra\">山与海之间的一座"
           u"小城，守着一段往事。</span></div></div><div class=\"album\"><div><img class=\"default-img\" "
           u"data-src=\"https://p1.ticket.example/movie/s1.jpg@465w\"></div><div><img class=\"default-img\" "
           u"data-src=\"https://p1.ticket.example/movie/s2.jpg@126w\"></div></div><div class=\"movie-item\">"
           u"<img class=\"poster-default\" src=\"//s3.ticket.example/image/loading_2.png\"><img "
           u"data-src=\"https://p0.ticket.example/movie/other.jpg\"></div></body></html>"_s;
}

QString StyledDownloadPage() {
    const QString style =
        u" style=\"font-family: 宋体; font-size: 14px; line-height: 24px; margin: 0px; padding: "
        u"0px; color: rgb(51, 51, 51); white-space: normal; background-color: rgb(255, 255, 255);\""_s;
    QString lines;
    for (const QString& line :
         {u"◎又　　名　Dead Hours"_s, u"◎片　　名　Kill\n            Time"_s, u"◎年　　代　2016"_s,
          u"◎产　　地　中国大陆"_s, u"◎类　　别　剧情/悬疑"_s, u"◎语　　言　汉语普通话"_s,
          u"◎上映日期　2016-12-02(中国)"_s, u"◎导　　演　某某"_s, u"◎简　　介"_s,
          u"　　一个关于时间的故事，一个关于时间的故事，一个关于时间的故事，一个关于时间的故事。"_s})
        lines += u"<div"_s + style + u">"_s + line + u"</div>\n"_s;
    QString nav;
    for (int i = 0; i < 30; ++i)
        nav += u"<li><a href=\"/html/%1.html\">2016年剧情片《另一部电影第%1部》HD国语中字</a></li>"_s.arg(i);
    return u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"><title>Kill Time"
           u"</title><script>document.write('<div>ad</div>');</script></head><body><div class=\"nav\"><ul>"_s +
           nav + u"</ul></div><div id=\"Zoom\"><div"_s + style + u"><img src=\"/uploads/poster.jpg\"></div>\n"_s +
           lines + u"<div"_s + style +
           u"><img src=\"//img.dl.example/shot1.jpg\"></div>"
           u"<p><strong>【下载地址】</strong></p><table><tr><td><a "
           u"href=\"ftp://dl.example/Kill.Time.mkv\">ftp://dl.example/Kill.Time.mkv</a></td></tr>"
           u"</table></div><div class=\"footer\"><img src=\"/images/logo.gif\"></div></body></html>"_s;
}

QString EncyclopaediaPage() {
    return u"<html><head><meta charset=\"utf-8\"><title>雾城 - 百科</title></head><body><div class=\"main\">"
           u"<h1>雾城</h1><div class=\"lemma-summary\"><p>《雾城》是一部2009年上映的电影，讲述一座被雾笼罩的城市里"
           u"发生的故事，影片在多个电影节获奖，受到观众和评论界的好评，是导演的代表作之一。</p></div>"
           u"<div class=\"basic-info\"><dl><dt>中文名</dt><dd>雾城</dd><dt>外文名</dt><dd>Fog City</dd>"
           u"<dt>类　　型</dt><dd>剧情</dd><dt>制片地区</dt><dd>中国香港</dd><dt>导　　演</dt><dd>周某</dd>"
           u"<dt>上映时间</dt><dd>2009年5月1日</dd></dl></div><table class=\"infobox\"><tr><th>片长</th><td>100分钟"
           u"</td></tr><tr><td colspan=\"2\">一个单元格</td></tr></table></div></body></html>"_s;
}
