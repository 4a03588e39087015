#include "pages/overview_rows.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

enum class RowKind { Single, List, Plot };

struct RowLabel {
    QStringView Written; // as the page writes it, without the blanks inside
    QStringView Shown;
    RowKind Kind;
};

// Longer forms before the shorter ones they start with.
const std::array<RowLabel, 41> RowLabels = {{
    {u"剧情简介", u"剧情简介", RowKind::Plot},   {u"内容简介", u"剧情简介", RowKind::Plot},
    {u"剧情介绍", u"剧情简介", RowKind::Plot},   {u"影片简介", u"剧情简介", RowKind::Plot},
    {u"中文简介", u"剧情简介", RowKind::Plot},   {u"简介", u"剧情简介", RowKind::Plot},
    {u"导演", u"导演", RowKind::List},           {u"编剧", u"编剧", RowKind::List},
    {u"主要演员", u"主演", RowKind::List},       {u"主演", u"主演", RowKind::List},
    {u"演员", u"主演", RowKind::List},           {u"配音", u"配音", RowKind::List},
    {u"对白语言", u"语言", RowKind::Single},     {u"语言", u"语言", RowKind::Single},
    {u"字幕", u"字幕", RowKind::Single},         {u"片长", u"片长", RowKind::Single},
    {u"单集片长", u"片长", RowKind::Single},     {u"时长", u"片长", RowKind::Single},
    {u"上映日期", u"上映日期", RowKind::Single}, {u"上映时间", u"上映日期", RowKind::Single},
    {u"首映", u"上映日期", RowKind::Single},     {u"首播", u"首播", RowKind::Single},
    {u"集数", u"集数", RowKind::Single},         {u"又名", u"又名", RowKind::Single},
    {u"别名", u"又名", RowKind::Single},         {u"制片国家/地区", u"国家/地区", RowKind::Single},
    {u"IMDb评分", u"IMDb评分", RowKind::Single}, {u"IMDb链接", u"IMDb", RowKind::Single},
    {u"IMDb编号", u"IMDb", RowKind::Single},     {u"IMDb", u"IMDb", RowKind::Single},
    {u"豆瓣评分", u"豆瓣评分", RowKind::Single}, {u"文件格式", u"文件格式", RowKind::Single},
    {u"视频格式", u"文件格式", RowKind::Single}, {u"文件大小", u"文件大小", RowKind::Single},
    {u"视频尺寸", u"视频尺寸", RowKind::Single}, {u"分辨率", u"视频尺寸", RowKind::Single},
    {u"音频", u"音频", RowKind::Single},         {u"出品公司", u"出品公司", RowKind::List},
    {u"发行公司", u"发行公司", RowKind::List},   {u"获奖情况", u"获奖情况", RowKind::List},
    {u"标签", u"标签", RowKind::Single},
}};

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\u3000' || c == u'\t' || c == QChar(0xA0);
}

char16_t Folded(QChar c) {
    const char16_t u = c.unicode();
    return u >= u'a' && u <= u'z' ? char16_t(u - 0x20) : u;
}

// Where the value of `line` starts when it begins with `label` (blanks between the label's characters
// allowed, as "导　　演" writes it) and a separator or the end follows; -1 otherwise.
qsizetype ValueStart(const QString& line, qsizetype from, QStringView label) {
    qsizetype i = from;
    for (qsizetype k = 0; k < label.size(); ++k) {
        if (k > 0)
            while (i < line.size() && IsBlank(line[i]))
                ++i;
        if (i >= line.size() || Folded(line[i]) != Folded(label[k]))
            return -1;
        ++i;
    }
    if (i < line.size() && !IsBlank(line[i]) && line[i] != u':' && line[i] != u'：' && line[i] != u'】')
        return -1;
    while (i < line.size() && (IsBlank(line[i]) || line[i] == u':' || line[i] == u'：' || line[i] == u'】'))
        ++i;
    return i;
}

const RowLabel* LabelOf(const QString& line, QString& value) {
    qsizetype from = 0;
    while (from < line.size() && (IsBlank(line[from]) || line[from] == u'◎' || line[from] == u'【'))
        ++from;
    for (const RowLabel& label : RowLabels) {
        const qsizetype start = ValueStart(line, from, label.Written);
        if (start >= 0) {
            value = line.mid(start).trimmed();
            return &label;
        }
    }
    return nullptr;
}

// A line after a list's first that only names more of it: short, and no sentence.
bool ContinuesList(const QString& line) {
    static constexpr char16_t sentence[] = u"。，！？；,";
    if (line.size() > 40)
        return false;
    for (QChar c : line)
        if (std::u16string_view(sentence).find(c.unicode()) != std::u16string_view::npos)
            return false;
    return true;
}

} // namespace

OverviewParts SplitOverview(const QString& overview) {
    OverviewParts parts;
    OverviewRow* list = nullptr; // the list row that the next short lines may continue
    for (const QString& raw : overview.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        QString value;
        if (const RowLabel* label = LabelOf(line, value)) {
            list = nullptr;
            if (label->Kind == RowKind::Plot) {
                if (!value.isEmpty())
                    parts.Plot << value;
                continue;
            }
            parts.Rows.push_back({label->Shown.toString(), value.isEmpty() ? QStringList() : QStringList{value}});
            if (label->Kind == RowKind::List)
                list = &parts.Rows.back();
            continue;
        }
        if (list && ContinuesList(line)) {
            list->Values << line;
            continue;
        }
        list = nullptr;
        parts.Plot << line;
    }
    return parts;
}

QStringList RowNames(const OverviewRow& row) {
    QStringList names;
    for (const QString& value : row.Values)
        for (const QString& name : value.split(u'/'))
            if (!name.trimmed().isEmpty())
                names << name.trimmed();
    return names;
}
