#include "pages/film_page.h"

#include "extract/labels.h"
#include "pages/card_marks.h"
#include "pages/edit.h"
#include "pages/escape.h"
#include "pages/identify_commands.h"
#include "pages/overview_rows.h"
#include "pages/wall_order.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int CastShown = 5;

QString Picture(const QString& path, const QString& kind) {
    // A file URL keeps "&" and "'" as they are: in an attribute they must become references.
    return u"<img class="_s + kind + u" src=\""_s + EscapeHtml(FileUrl(path)) +
           u"\" alt=\"\" onclick=\"ShowLarge(this)\">"_s;
}

QString RowValue(const OverviewRow& row) {
    const QStringList names = RowNames(row);
    if (row.Label != u"主演" || names.size() <= CastShown)
        return EscapeHtml(row.Values.join(u" / "_s));
    QString html = EscapeHtml(names.first(CastShown).join(u" / "_s));
    html += u"<span class=rest> / "_s + EscapeHtml(names.mid(CastShown).join(u" / "_s)) + u"</span>"_s;
    html += u" <a href='#' class=all onclick=\"this.parentNode.classList.add('open');return false;\">全部 "_s +
            QString::number(names.size()) + u" 人</a>"_s;
    return html;
}

QString RetryLink(const QString& scriptPath) {
    return u"<a href='#' id=retry title='重新从网络搜索视频信息' onclick=\"javascript:external.ExtCommand(7,&quot;"_s +
           scriptPath + u"&quot;);return false;\">[重试]</a>"_s;
}

QString Candidate(const LookupCandidate& candidate, const QString& scriptPath) {
    return u"<li><a href='#' onclick=\"external.ExtCommand("_s + QString::number(IdentifyPickCommand) + u",&quot;"_s +
           scriptPath + u'`' + EscapeScriptInAttribute(candidate.Url) + u"&quot;);return false;\">"_s +
           EscapeHtml(candidate.Title) + u"</a> <span class=site>"_s + EscapeHtml(candidate.Site) +
           u"</span><div class=url>"_s + EscapeHtml(candidate.Url) + u"</div></li>"_s;
}

// The search words to edit (the title until the user has searched), then what the search found.
QString IdentifyBox(const MovieRecord& movie, const QString& scriptPath, const LookupChoices& choices) {
    const QString words = choices.Words.isEmpty() ? CardTitle(movie) : choices.Words;
    QString html =
        u"<div class=identify id=identify><h3>手动查找</h3><form id=identify-form onsubmit=\"external.ExtCommand("_s +
        QString::number(IdentifySearchCommand) + u",&quot;"_s + scriptPath +
        u"`&quot;+this.words.value.replace(/`/g,' '));return false;\"><input name=words id=words value=\""_s +
        EscapeHtml(words) + u"\" aria-label='搜索词'><button class=btn type=submit>搜索</button></form>"_s;
    if (choices.State == u"searching")
        html += u"<p class=state>正在搜索…</p>"_s;
    else if (choices.State == u"reading")
        html += u"<p class=state>正在读取所选页面…</p>"_s;
    else if (choices.State == u"failed")
        html += u"<p class=state>所选页面没有可用的影片信息，请换一个结果。</p>"_s;
    else if (choices.State == u"searched" && choices.Found.empty())
        html += u"<p class=state>没有找到结果，请换个搜索词。</p>"_s;
    if (!choices.Found.empty()) {
        html += u"<ol class=candidates id=candidates>"_s;
        for (const LookupCandidate& candidate : choices.Found)
            html += Candidate(candidate, scriptPath);
        html += u"</ol>"_s;
    }
    return html + u"</div>"_s;
}

} // namespace

QString FilmPictures(const QStringList& pictures) {
    if (pictures.isEmpty())
        return u"<div class=noposter></div>"_s;
    QString html = Picture(pictures.first(), u"poster"_s);
    if (pictures.size() > 1) {
        html += u"<div class=stills>"_s;
        for (qsizetype i = 1; i < pictures.size(); ++i)
            html += Picture(pictures[i], u"still"_s);
        html += u"</div>"_s;
    }
    return html;
}

QString FilmSubtitle(const MovieRecord& movie) {
    QStringList parts;
    const QString original = CleanFieldValue(movie.OriginalTitle);
    if (!original.isEmpty() && original != CardTitle(movie))
        parts << EscapeHtml(original);
    if (const int year = MovieYear(movie))
        parts << QString::number(year);
    return parts.join(u" · "_s);
}

QString FilmOverview(const MovieRecord& movie, const QString& scriptPath, const LookupChoices& choices) {
    const bool failed = LookupFoundNothing(movie);
    const OverviewParts parts = failed ? OverviewParts() : SplitOverview(movie.Overview);
    // A movie not found is offered its own search first.
    QString html = failed ? IdentifyBox(movie, scriptPath, choices) : QString();
    html += u"<section class=plot id=plot><h3>剧情简介</h3>"_s;
    if (failed)
        html += u"<p class=failed>"_s + EscapeHtml(movie.Overview) + u"</p>"_s;
    else if (parts.Plot.isEmpty())
        html += u"<p class=none>暂无简介</p>"_s;
    for (const QString& paragraph : parts.Plot)
        html += u"<p>"_s + EscapeHtml(paragraph) + u"</p>"_s;
    html += u"</section>"_s;
    if (!parts.Rows.empty()) {
        html += u"<table class=\"meta more\" id=rows>"_s;
        for (const OverviewRow& row : parts.Rows)
            html += u"<tr><th>"_s + EscapeHtml(row.Label) + u"</th><td>"_s + RowValue(row) + u"</td></tr>"_s;
        html += u"</table>"_s;
    }
    html += u"<div class=lookup id=lookup>"_s + RetryLink(scriptPath) + u"</div>"_s;
    return html;
}

QString WatchedToggle(const MovieRecord& movie, const QString& scriptPath) {
    const bool watched = IsWatched(movie.watched);
    const QString arg = (watched ? u"0`"_s : u"1`"_s) + scriptPath;
    return u"<div class=mark><a href='#' id=watched class=\"btn watched"_s + (watched ? u" on"_s : QString()) +
           u"\" title='"_s + (watched ? u"点击标为未看"_s : u"点击标为已看"_s) + u"' onclick=\"external.ExtCommand("_s +
           QString::number(WatchedCommand) + u",&quot;"_s + arg + u"&quot;);return false;\">"_s +
           (watched ? u"&#10003; 已看"_s : u"标为已看"_s) + u"</a></div>"_s;
}
