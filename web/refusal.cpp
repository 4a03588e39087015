#include "web/refusal.h"

#include "web/html_text.h"

#include <QStringView>
#include <algorithm>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

// A verification or login page says little: a few lines and a form. A page showing more visible
// (non-blank) characters than this is a page of its own, whatever it mentions.
constexpr qsizetype PageTextAtLeast = 2000;
constexpr qint64 LongestRetryAfterMs = 7LL * 24 * 3600 * 1000;

// The wording of the engines', the databases' and their firewalls' verification and "too many
// requests" pages, lower case.
constexpr std::u16string_view VerificationWords[] = {
    u"验证码",
    u"安全验证",
    u"人机验证",
    u"访问验证",
    u"验证中心",
    u"滑动验证",
    u"异常请求",
    u"异常访问",
    u"异常流量",
    u"访问过于频繁",
    u"请求过于频繁",
    u"操作过于频繁",
    u"禁止访问",
    u"拒绝访问",
    u"访问被拒绝",
    u"unusual traffic",
    u"automated queries",
    u"not a robot",
    u"are you a robot",
    u"are you a human",
    u"verify you are human",
    u"verify you are a human",
    u"captcha",
    u"access denied",
    u"solve the challenge",
    u"checking your browser",
    u"just a moment",
    u"attention required",
    u"one last step",
    u"request blocked",
    u"too many requests",
};
constexpr std::u16string_view LoginWords[] = {u"登录", u"登陆", u"log in", u"login", u"sign in", u"signin"};
// Names of the fields and pictures of a verification form.
constexpr std::u16string_view CaptchaMarks[] = {u"captcha", u"seccode", u"verifycode", u"vcode", u"checkcode"};

template <size_t N> bool HoldsAny(QStringView text, const std::u16string_view (&words)[N]) {
    return std::any_of(std::begin(words), std::end(words), [text](std::u16string_view word) {
        return text.contains(QStringView(word.data(), qsizetype(word.size())));
    });
}

struct PageSigns {
    QString Title;     // lower case
    QString Text;      // the shown text, lower case
    bool Long = false; // more shown text than a refusal page has
    bool PasswordField = false;
    bool CaptchaField = false;
};

bool MarksCaptcha(const HtmlNode& node) {
    for (QStringView name : {u"name", u"id", u"class", u"src"}) {
        if (HoldsAny(AttributeOf(node, name).toLower(), CaptchaMarks))
            return true;
    }
    return false;
}

// Reads the page as a browser shows it, as far as a refusal can be told: the title, the shown text and
// the fields of its forms.
PageSigns ReadPageSigns(const QString& page) {
    const HtmlDocument doc = ParseHtml(page);
    PageSigns signs;
    const int title = FindElement(doc, u"title");
    if (title >= 0) {
        for (int i = title + 1; i < doc.Nodes[title].End; ++i)
            signs.Title += doc.Nodes[i].Text;
        signs.Title = signs.Title.simplified().toLower();
    }
    const VisibleText shown = RenderVisibleText(doc);
    signs.Long =
        std::count_if(shown.Text.begin(), shown.Text.end(), [](QChar c) { return !c.isSpace(); }) >= PageTextAtLeast;
    if (signs.Long)
        return signs;
    signs.Text = shown.Text.toLower();
    for (const HtmlNode& node : doc.Nodes) {
        if (node.Tag != u"input" && node.Tag != u"img")
            continue;
        signs.CaptchaField = signs.CaptchaField || MarksCaptcha(node);
        signs.PasswordField = signs.PasswordField || AttributeOf(node, u"type").toLower() == u"password";
    }
    return signs;
}

} // namespace

QString HeaderValue(const QStringList& headers, QStringView name) {
    for (const QString& line : headers) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0 && QStringView(line).left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

QString RefusalOfReply(int status, const QStringList& headers) {
    if (status == 403 || status == 418 || status == 429)
        return u"HTTP "_s + QString::number(status);
    // A firewall that wants a script to solve its challenge answers 202 with an empty body.
    if (status == 202 && !HeaderValue(headers, u"x-amzn-waf-action").isEmpty())
        return u"防火墙质询（HTTP 202）"_s;
    return {};
}

QString RefusalOfPage(const QString& page) {
    const PageSigns signs = ReadPageSigns(page);
    if (signs.Long)
        return {};
    if (signs.CaptchaField || HoldsAny(signs.Title, VerificationWords) || HoldsAny(signs.Text, VerificationWords))
        return u"要求验证"_s;
    // A link to a login page is on nearly every page; a login page has the form, or says so in its title.
    if (signs.PasswordField || HoldsAny(signs.Title, LoginWords))
        return u"要求登录"_s;
    return {};
}

qint64 RetryAfterMs(const QStringList& headers, const QDateTime& nowUtc) {
    const QString value = HeaderValue(headers, u"retry-after");
    if (value.isEmpty())
        return 0;
    bool number = false;
    const qint64 seconds = value.toLongLong(&number);
    qint64 ms = 0;
    if (number) {
        ms = seconds > LongestRetryAfterMs / 1000 ? LongestRetryAfterMs : seconds * 1000;
    } else {
        // HTTP dates end in "GMT", which the RFC 2822 reader does not take for a zone.
        QString date = value;
        if (date.endsWith(u" GMT"_s, Qt::CaseInsensitive))
            date = date.chopped(3) + u"+0000"_s;
        const QDateTime when = QDateTime::fromString(date, Qt::RFC2822Date);
        if (when.isValid())
            ms = nowUtc.msecsTo(when);
    }
    return std::clamp<qint64>(ms, 0, LongestRetryAfterMs);
}
