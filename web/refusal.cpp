#include "web/refusal.h"

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
// Elements whose content is never shown as text.
constexpr std::u16string_view HiddenElements[] = {u"script", u"style", u"noscript", u"template"};

template <size_t N> bool HoldsAny(QStringView text, const std::u16string_view (&words)[N]) {
    return std::any_of(std::begin(words), std::end(words), [text](std::u16string_view word) {
        return text.contains(QStringView(word.data(), qsizetype(word.size())));
    });
}

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
}

QString AsciiLower(QStringView text) {
    QString lower(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        lower[i] = QChar(AsciiLower(text[i].unicode()));
    return lower;
}

struct PageSigns {
    QString Title;     // lower case
    QString Text;      // the visible text, lower case, runs of blanks as one
    bool Long = false; // more visible text than a refusal page has
    bool PasswordField = false;
    bool CaptchaField = false;
};

// The end of the tag whose name ends at `from`: the position of its ">" outside quoted values, or the
// end of the page.
qsizetype TagEnd(QStringView page, qsizetype from) {
    char16_t quote = 0;
    for (qsizetype i = from; i < page.size(); ++i) {
        const char16_t c = page[i].unicode();
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i;
        }
    }
    return page.size();
}

// The value of attribute `name` in a lower-cased tag text, quotes removed; empty when absent.
QString AttributeValue(QStringView tag, QStringView name) {
    qsizetype at = 0;
    while ((at = tag.indexOf(name, at)) >= 0) {
        const bool starts = at == 0 || tag[at - 1].isSpace() || tag[at - 1] == u'/';
        qsizetype i = at + name.size();
        at = i;
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        if (!starts || i >= tag.size() || tag[i] != u'=')
            continue;
        ++i;
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        if (i < tag.size() && (tag[i] == u'"' || tag[i] == u'\'')) {
            const qsizetype end = tag.indexOf(tag[i], i + 1);
            return tag.mid(i + 1, (end < 0 ? tag.size() : end) - i - 1).toString();
        }
        qsizetype end = i;
        while (end < tag.size() && !tag[end].isSpace() && tag[end] != u'>')
            ++end;
        return tag.mid(i, end - i).toString();
    }
    return {};
}

bool MarksCaptcha(QStringView tag) {
    for (QStringView name : {u"name", u"id", u"class", u"src"}) {
        if (HoldsAny(AttributeValue(tag, name), CaptchaMarks))
            return true;
    }
    return false;
}

// Reads the page as a browser shows it, as far as a refusal can be told: the title, the visible text
// up to the length no refusal page reaches, and the fields of its forms.
PageSigns ReadPageSigns(QStringView page) {
    PageSigns signs;
    qsizetype visible = 0;
    bool blank = false;
    const qsizetype n = page.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = page[i];
        if (c == u'<' && page.mid(i, 4) == u"<!--") {
            const qsizetype end = page.indexOf(u"-->", i + 4);
            i = end < 0 ? n : end + 3;
            continue;
        }
        if (c == u'<') {
            const bool closing = i + 1 < n && page[i + 1] == u'/';
            qsizetype nameEnd = i + (closing ? 2 : 1);
            while (nameEnd < n && page[nameEnd].unicode() < 0x80 && page[nameEnd].isLetterOrNumber())
                ++nameEnd;
            const qsizetype nameStart = i + (closing ? 2 : 1);
            if (nameEnd > nameStart) {
                const QString name = AsciiLower(page.mid(nameStart, nameEnd - nameStart));
                const qsizetype end = TagEnd(page, nameEnd);
                i = end + 1;
                if (closing)
                    continue;
                const bool hidden = std::any_of(
                    std::begin(HiddenElements), std::end(HiddenElements), [&name](std::u16string_view element) {
                        return name == QStringView(element.data(), qsizetype(element.size()));
                    });
                if (hidden || name == u"title") {
                    const QString closer = u"</"_s + name;
                    const qsizetype close = page.indexOf(closer, i, Qt::CaseInsensitive);
                    const qsizetype stop = close < 0 ? n : close;
                    if (name == u"title" && signs.Title.isEmpty())
                        signs.Title = AsciiLower(page.mid(i, stop - i)).simplified();
                    i = close < 0 ? n : TagEnd(page, close) + 1;
                } else if (name == u"input" || name == u"img") {
                    const QString tag = AsciiLower(page.mid(nameEnd, end - nameEnd));
                    signs.CaptchaField = signs.CaptchaField || MarksCaptcha(tag);
                    signs.PasswordField = signs.PasswordField || AttributeValue(tag, u"type") == u"password";
                }
                if (name == u"br" || name == u"p" || name == u"div" || name == u"li" || name == u"td")
                    blank = true;
                continue;
            }
        }
        if (c.isSpace() || (c == u'&' && page.mid(i, 6) == u"&nbsp;")) {
            blank = true;
            i += c == u'&' ? 6 : 1;
            continue;
        }
        if (blank && !signs.Text.isEmpty())
            signs.Text += u' ';
        blank = false;
        signs.Text += QChar(AsciiLower(c.unicode()));
        if (++visible >= PageTextAtLeast) {
            signs.Long = true;
            break;
        }
        ++i;
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
