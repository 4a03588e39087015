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
