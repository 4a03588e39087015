#include "extract/movie_info.h"

#include "extract/json_ld.h"
#include "extract/labelled_lines.h"
#include "extract/page_pictures.h"
#include "extract/site_readers.h"
#include "web/html_text.h"
#include "web/links.h"
#include "web/main_text.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype PictureLead = 200; // a poster may stand this far above the data's first line
constexpr int MaxPosterCandidates = 4;

QStringList RegionLines(const VisibleText& shown, const MainTextRegion& region) {
    if (!region.Found)
        return {};
    return shown.Text.mid(region.Start, region.Length).split(u'\n');
}

// The pictures of the main text: from a little before its first line to the end of its data.
QStringList MainTextPictures(const HtmlDocument& doc, const VisibleText& shown, const MainTextRegion& region,
                             qsizetype linesRead, const QString& pageUrl) {
    QStringList pictures;
    if (!region.Found)
        return pictures;
    // A poster stands just above the data, with no text between.
    qsizetype from = region.Start;
    while (from > 0) {
        const qsizetype previous = from >= 2 ? shown.Text.lastIndexOf(u'\n', from - 2) + 1 : 0;
        if (region.Start - previous > PictureLead ||
            !QStringView(shown.Text).mid(previous, from - previous).trimmed().isEmpty())
            break;
        from = previous;
    }
    qsizetype to = region.Start;
    for (qsizetype line = 0; line < linesRead && to >= 0; ++line) {
        to = shown.Text.indexOf(u'\n', to);
        to = to < 0 || to > region.Start + region.Length ? region.Start + region.Length : to + 1;
    }
    for (const auto& [at, img] : shown.Pictures) {
        if (at < from || at > to)
            continue;
        const QString address = PictureAddress(doc, img, pageUrl);
        if (!address.isEmpty() && !pictures.contains(address))
            pictures.append(address);
    }
    return pictures;
}

// Lines as the overview holds them: each followed by a line feed.
QString OverviewOfLines(const QStringList& lines) {
    return lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n';
}

QString OverviewOf(const PageFacts& facts) {
    QStringList lines = facts.Lines;
    if (!facts.Plot.trimmed().isEmpty()) {
        lines.append(u"简介:"_s);
        for (const QString& line : facts.Plot.split(u'\n'))
            if (!line.trimmed().isEmpty())
                lines.append(line.trimmed());
    }
    return OverviewOfLines(lines);
}

} // namespace

InfoPageReading ReadInfoPage(const QString& page, const QString& pageUrl) {
    InfoPageReading reading;
    const HtmlDocument doc = ParseHtml(page);
    const VisibleText shown = RenderVisibleText(doc);
    MainTextRegion region = LocateMainText(shown);
    LabelledLines labelled = ReadLabelledLines(RegionLines(shown, region));
    if (!region.Found) {
        // A short page is its own main text when it is made of labelled lines.
        const qsizetype mark = shown.Text.indexOf(u'◎');
        const qsizetype from = mark > 0 ? shown.Text.lastIndexOf(u'\n', mark) + 1 : 0;
        const MainTextRegion rest{true, from, shown.Text.size() - from};
        LabelledLines all = ReadLabelledLines(RegionLines(shown, rest));
        if (all.Labelled) {
            region = rest;
            labelled = all;
        }
    }
    const QStringList mainPictures = MainTextPictures(doc, shown, region, labelled.LinesRead, pageUrl);
    reading.FtpLinks = ExtractFtpLinks(doc);

    PageFacts site = ReadDoubanPage(doc, pageUrl);
    FillMissing(site, ReadImdbPage(doc, pageUrl));
    FillMissing(site, ReadMaoyanPage(doc, pageUrl));
    const PageFacts jsonLd = ReadJsonLd(doc, pageUrl);
    const PageFacts meta = ReadMetaTags(doc, pageUrl);

    PageFacts data = site;
    FillMissing(data, jsonLd);
    FillMissing(data, ReadLabelPairs(doc));
    const bool structured = !data.Title.isEmpty() || !data.Plot.isEmpty() || MetaTagsNameAVideo(doc);

    QStringList candidates = jsonLd.Posters + meta.Posters + site.Posters;
    QStringList stills = site.Stills;
    if (labelled.Labelled && data.Title.isEmpty()) {
        // A download site's page: its labelled lines are its data.
        reading.Facts = labelled.Facts;
        FillMissing(reading.Facts, data);
        reading.Overview = OverviewOfLines(labelled.Overview);
    } else {
        reading.Facts = data;
        if (structured)
            FillMissing(reading.Facts, meta);
        reading.Overview = OverviewOf(reading.Facts);
        if (reading.Overview.isEmpty())
            reading.Overview = OverviewOfLines(labelled.Overview);
    }
    if (candidates.isEmpty() && !mainPictures.isEmpty()) {
        candidates.append(mainPictures.front());
        if (stills.isEmpty())
            stills = mainPictures.mid(1);
    }
    candidates.removeIf([](const QString& address) { return IsPlaceholderPicture(address); });
    candidates.removeDuplicates();
    reading.PosterCandidates = candidates.mid(0, MaxPosterCandidates);
    stills.removeDuplicates();
    for (const QString& still : std::as_const(stills))
        if (!reading.PosterCandidates.contains(still) && reading.Stills.size() < MaxPicturesPerMovie - 1)
            reading.Stills.append(still);
    reading.Found = !reading.Facts.Title.trimmed().isEmpty() || !reading.Overview.trimmed().isEmpty();
    return reading;
}

QString PictureList(const QStringList& posterCandidates, const QStringList& stills) {
    QString list;
    if (!posterCandidates.isEmpty())
        list += posterCandidates.join(u' ') + u'`';
    for (const QString& still : stills)
        list += still + u'`';
    return list;
}

bool ExtractMovieInfo(MovieRecord& record, const QString& page, const QString& pageUrl) {
    const InfoPageReading reading = ReadInfoPage(page, pageUrl);
    const PageFacts& facts = reading.Facts;
    for (auto [field, value] : {std::pair{&MovieRecord::Title, &facts.Title},
                                {&MovieRecord::OriginalTitle, &facts.OriginalTitle},
                                {&MovieRecord::CountryOfOrigin, &facts.Countries},
                                {&MovieRecord::ProductionYear, &facts.Year},
                                {&MovieRecord::Rating, &facts.Rating},
                                {&MovieRecord::Genres, &facts.Genres}})
        if (!value->trimmed().isEmpty())
            record.*field = value->trimmed();
    record.Overview = reading.Overview.isEmpty() ? QString::fromUtf16(NoInformationFoundText) : reading.Overview;
    record.picurl = PictureList(reading.PosterCandidates, reading.Stills);
    record.movieurl = reading.FtpLinks;
    return reading.Found;
}
