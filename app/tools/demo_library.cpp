// Makes a library of made-up movies for the screenshot and the wall benchmark:
//   reelboard_demo_library FOLDER COUNT
// FOLDER gets "dirs.txt" (listing FOLDER/movies) and, under movies/, one folder per movie holding a
// sparse video, its metadata file (complete, so no web lookup is needed), a drawn poster and the
// poster's thumbnail. Posters repeat after the first few dozen designs.

#include "library/movie_record.h"
#include "library/movie_xml.h"
#include "library/thumbnail.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct DemoMovie {
    QString title;
    QString original;
    QString country;
    QString year;
    QString rating;
    QString genres;
    QString overview;
};

const std::vector<DemoMovie>& DemoMovies() {
    static const std::vector<DemoMovie> movies{
        {u"雾港往事"_s, u"Harbor of Mist"_s, u"中国"_s, u"2011"_s, u"8.1"_s, u"剧情 / 悬疑"_s,
         u"退休的领航员回到雾气弥漫的港口小城，一封三十年前的信把他带回一桩从未结案的沉船事故。"_s},
        {u"北纬四十度"_s, u"Forty Degrees North"_s, u"中国"_s, u"2016"_s, u"7.6"_s, u"公路 / 剧情"_s,
         u"两个陌生人拼车穿越北方草原，在一场暴风雪里交换了彼此的秘密。"_s},
        {u"纸月亮"_s, u"Paper Moon Street"_s, u"中国香港"_s, u"1998"_s, u"8.4"_s, u"爱情 / 剧情"_s,
         u"旧街拆迁前的最后一个夏天，印刷店老板的女儿在橱窗里挂起一轮纸做的月亮。"_s},
        {u"最后的灯塔"_s, u"The Last Lighthouse"_s, u"英国"_s, u"2009"_s, u"7.9"_s, u"剧情"_s,
         u"苏格兰外海最后一座有人值守的灯塔，守塔人和他的接班人只有一个冬天的时间。"_s},
        {u"星期三的雨"_s, u"Wednesday Rain"_s, u"日本"_s, u"2014"_s, u"7.7"_s, u"家庭 / 剧情"_s,
         u"每逢星期三，母亲都会在车站等一班早已停运的列车。"_s},
        {u"深空回声"_s, u"Echoes of Deep Space"_s, u"美国"_s, u"2019"_s, u"7.4"_s, u"科幻 / 惊悚"_s,
         u"一艘科考船收到了来自自己的求救信号，发信时间是四十年后。"_s},
        {u"铁轨尽头"_s, u"End of the Line"_s, u"法国"_s, u"2005"_s, u"7.8"_s, u"犯罪 / 剧情"_s,
         u"一名即将退休的列车员，在末班车上遇见了二十年前逃脱的劫匪。"_s},
        {u"沙漠里的钢琴"_s, u"A Piano in the Desert"_s, u"摩洛哥"_s, u"2012"_s, u"7.5"_s, u"音乐 / 冒险"_s,
         u"调音师受托把一架三角钢琴运过撒哈拉，送给一位从未露面的客户。"_s},
        {u"夏至未至"_s, u"Before the Solstice"_s, u"中国台湾"_s, u"2017"_s, u"7.2"_s, u"青春 / 爱情"_s,
         u"毕业前的最后一个月，四个朋友约定在夏至那天看一次日出。"_s},
        {u"冰原救援"_s, u"Whiteout Rescue"_s, u"加拿大"_s, u"2021"_s, u"6.9"_s, u"动作 / 灾难"_s,
         u"暴风雪切断了北极科考站的一切联系，救援队只有七十二小时。"_s},
        {u"老城旧梦"_s, u"Old Town Dreams"_s, u"意大利"_s, u"2001"_s, u"8.0"_s, u"喜剧 / 剧情"_s,
         u"一家三代经营的理发店，迎来了一位想把整条街都买下来的客人。"_s},
        {u"无声的证人"_s, u"The Silent Witness"_s, u"韩国"_s, u"2015"_s, u"8.2"_s, u"犯罪 / 悬疑"_s,
         u"唯一目击命案的是一位听障画家，她用画笔还原了那个夜晚。"_s},
        {u"风之谷地"_s, u"Valley of Winds"_s, u"新西兰"_s, u"2010"_s, u"7.3"_s, u"奇幻 / 冒险"_s,
         u"牧羊少年循着风声找到了一座地图上不存在的山谷。"_s},
        {u"午夜列车"_s, u"Midnight Express Line"_s, u"德国"_s, u"2008"_s, u"7.6"_s, u"悬疑 / 惊悚"_s,
         u"从柏林开往维也纳的夜车上，一位乘客在隧道之后消失了。"_s},
        {u"长安月"_s, u"Moon over Chang'an"_s, u"中国"_s, u"2020"_s, u"7.8"_s, u"古装 / 历史"_s,
         u"盛唐上元夜，一名不良帅必须在灯会结束前找出潜入城中的刺客。"_s},
        {u"蓝色档案"_s, u"The Blue File"_s, u"美国"_s, u"1997"_s, u"7.5"_s, u"剧情 / 惊悚"_s,
         u"档案馆的实习生发现一份本应销毁的蓝色卷宗，上面写着她的名字。"_s},
        {u"山那边的学校"_s, u"School Beyond the Hills"_s, u"中国"_s, u"2003"_s, u"8.6"_s, u"剧情 / 儿童"_s,
         u"代课老师翻过三座山来到村小，学校里只有十一个学生。"_s},
        {u"海底两万尺"_s, u"Twenty Thousand Feet Under"_s, u"澳大利亚"_s, u"2018"_s, u"6.8"_s, u"科幻 / 冒险"_s,
         u"深海钻井平台的工程师们在海床下发现了一座发光的城市。"_s},
        {u"红色气球"_s, u"The Red Balloon Café"_s, u"法国"_s, u"2013"_s, u"7.4"_s, u"喜剧 / 爱情"_s,
         u"巴黎一家咖啡馆每天都会放飞一只红气球，直到有一天有人把它送了回来。"_s},
        {u"第七个房间"_s, u"The Seventh Room"_s, u"西班牙"_s, u"2016"_s, u"7.7"_s, u"悬疑 / 恐怖"_s,
         u"继承了一栋老宅的姐妹发现，房子里的房间比图纸上多了一间。"_s},
        {u"追光者"_s, u"Light Chasers"_s, u"中国"_s, u"2022"_s, u"7.1"_s, u"纪录 / 运动"_s,
         u"一支业余天文爱好者的队伍，追着日全食走过了半个地球。"_s},
        {u"猫的报恩"_s, u"The Cat Who Came Back"_s, u"日本"_s, u"2007"_s, u"8.3"_s, u"动画 / 奇幻"_s,
         u"小女孩救下的流浪猫，在一个雨夜带着整条街的猫来敲门。"_s},
        {u"边境之夜"_s, u"Night at the Border"_s, u"墨西哥"_s, u"2011"_s, u"7.0"_s, u"剧情 / 犯罪"_s,
         u"边境小镇的加油站里，值夜班的少年被迫做出一个改变一生的选择。"_s},
        {u"冬日来信"_s, u"Letters in Winter"_s, u"瑞典"_s, u"2019"_s, u"7.9"_s, u"爱情 / 剧情"_s,
         u"邮差在整理旧邮包时，发现了一批寄出五十年却从未送达的信。"_s},
    };
    return movies;
}

// A poster that looks like one: a gradient sky, a few shapes, the titles and the year.
QImage DrawPoster(const DemoMovie& movie, int design) {
    static const QColor palette[][2] = {
        {QColor(0x1f, 0x3b, 0x57), QColor(0xe0, 0x8e, 0x45)}, {QColor(0x2b, 0x1d, 0x3f), QColor(0xd9, 0x60, 0x4c)},
        {QColor(0x0d, 0x3b, 0x36), QColor(0x9c, 0xc5, 0x7a)}, {QColor(0x3a, 0x24, 0x1d), QColor(0xe5, 0xa5, 0x0a)},
        {QColor(0x14, 0x21, 0x3d), QColor(0x6f, 0xa8, 0xdc)}, {QColor(0x40, 0x12, 0x1f), QColor(0xf2, 0xc1, 0x7d)},
        {QColor(0x1b, 0x2d, 0x2a), QColor(0xc8, 0xd6, 0xaf)}, {QColor(0x24, 0x24, 0x38), QColor(0xb3, 0x8c, 0xd9)},
    };
    const auto& colours = palette[design % std::size(palette)];
    QRandomGenerator random(quint32(design * 7919 + 17));

    QImage poster(300, 444, QImage::Format_RGB32);
    QPainter p(&poster);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, poster.height());
    sky.setColorAt(0, colours[0].darker(140));
    sky.setColorAt(0.55, colours[0]);
    sky.setColorAt(1, colours[1]);
    p.fillRect(poster.rect(), sky);

    p.setPen(Qt::NoPen);
    QColor sun = colours[1].lighter(130);
    sun.setAlpha(210);
    p.setBrush(sun);
    const int radius = 40 + random.bounded(40);
    p.drawEllipse(QPoint(60 + random.bounded(180), 120 + random.bounded(90)), radius, radius);
    for (int layer = 0; layer < 3; ++layer) {
        QPainterPath hills(QPointF(0, poster.height()));
        for (int x = 0; x <= poster.width(); x += 30)
            hills.lineTo(x, 250 + layer * 45 + random.bounded(60));
        hills.lineTo(poster.width(), poster.height());
        hills.closeSubpath();
        p.setBrush(colours[0].darker(160 + layer * 60));
        p.drawPath(hills);
    }

    p.setPen(Qt::white);
    QFont title(u"Noto Sans CJK SC"_s);
    title.setPixelSize(movie.title.size() > 5 ? 34 : 44);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(16, 300, 268, 60), Qt::AlignCenter, movie.title);
    QFont small(u"Noto Sans CJK SC"_s);
    small.setPixelSize(15);
    small.setLetterSpacing(QFont::PercentageSpacing, 112);
    p.setFont(small);
    p.setPen(QColor(255, 255, 255, 210));
    p.drawText(QRect(16, 358, 268, 24), Qt::AlignCenter, movie.original.toUpper());
    p.drawText(QRect(16, 400, 268, 24), Qt::AlignCenter, movie.year);
    p.end();
    return poster;
}

QString Director(int i) {
    static const QStringList names = {u"林海"_s, u"陈晓舟"_s, u"Ana Ribeiro"_s, u"周启明"_s, u"Tom Hale"_s};
    return names[i % names.size()];
}

QStringList Cast(int i) {
    static const QStringList names = {u"许晴川"_s,      u"王一诺"_s, u"Mia Lund"_s,   u"赵子墨"_s, u"李安然"_s,
                                      u"Omar Haddad"_s, u"孙悦"_s,   u"Jean Morel"_s, u"何宇"_s};
    QStringList cast;
    for (int k = 0; k < 7; ++k)
        cast << names[(i + k * 2) % names.size()];
    return cast;
}

// A still: the poster's scene in a wide frame.
QImage DrawStill(const DemoMovie& movie, int design, int shot) {
    const QImage poster = DrawPoster(movie, design + shot * 5);
    return poster.copy(0, 120 + shot * 40, 300, 170).scaled(480, 272, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: reelboard_demo_library FOLDER COUNT\n", stderr);
        return 2;
    }
    const QString root = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int count = QString::fromLocal8Bit(argv[2]).toInt();
    const QString moviesRoot = root + u"/movies"_s;
    if (count <= 0 || !QDir().mkpath(moviesRoot)) {
        std::fputs("reelboard_demo_library: bad folder or count\n", stderr);
        return 1;
    }

    // The folder list: UTF-16 LE without a byte-order mark, one line.
    const QString list = moviesRoot + u'\n';
    if (!WriteBytes(root + u"/dirs.txt"_s, QByteArray(reinterpret_cast<const char*>(list.utf16()), list.size() * 2)))
        return 1;

    const std::vector<DemoMovie>& movies = DemoMovies();
    const int designs = 48;
    std::vector<QByteArray> posterBytes(designs), thumbBytes(designs);
    for (int i = 0; i < count; ++i) {
        const DemoMovie& base = movies[size_t(i) % movies.size()];
        const int round = i / int(movies.size());
        MovieRecord movie;
        movie.Title = round == 0 ? base.title : base.title + u' ' + QString::number(round + 1);
        movie.OriginalTitle = base.original;
        movie.CountryOfOrigin = base.country;
        movie.ProductionYear = base.year;
        movie.Rating = base.rating;
        movie.Genres = base.genres;
        // As a download site's page leaves it: the facts first, a cast over several lines, then the plot.
        movie.Overview = u"◎语　　言　"_s + (base.country.startsWith(u"中国"_s) ? u"汉语普通话"_s : u"英语"_s) +
                         u"\n◎片　　长　"_s + QString::number(92 + i % 41) + u"分钟\n◎导　　演　"_s + Director(i) +
                         u"\n◎主　　演　"_s + Cast(i).join(u'\n') + u"\n◎简　　介\n"_s + base.overview;
        if (i % 5 == 1) // and a few already watched
            movie.watched = u"是"_s;

        const QString folder = moviesRoot + u'/' + QString::asprintf("%05d ", i) + movie.Title;
        QDir().mkpath(folder);
        movie.FilePath = folder + u'/' + movie.Title + u'.' + base.year + u".mkv"_s;
        QFile video(movie.FilePath);
        if (!video.open(QIODevice::WriteOnly) || !video.resize(31'000'000))
            return 1;
        video.close();
        // A few the web knew nothing of.
        if (i % 11 == 7) {
            movie.Title.clear();
            movie.OriginalTitle.clear();
            movie.Rating.clear();
            movie.Genres.clear();
            movie.CountryOfOrigin.clear();
            movie.ProductionYear.clear();
            movie.Overview = u"错误：提取不到信息"_s;
        }
        WriteMovieXml(movie);
        if (movie.Title.isEmpty())
            continue; // not found: no poster either

        const int design = i % designs;
        const QString poster = movie.FilePath + u".jpg"_s;
        if (posterBytes[design].isEmpty()) {
            DemoMovie shown = base;
            shown.title = movie.Title;
            DrawPoster(shown, design).save(poster, "JPG", 88);
            posterBytes[design] = ReadBytes(poster);
            thumbBytes[design] = ReadBytes(MakeThumbnail(poster));
        } else {
            WriteBytes(poster, posterBytes[design]);
            WriteBytes(ThumbnailPath(poster), thumbBytes[design]);
        }
        // The first movies have stills beside their poster, as a download site gives them.
        if (i < 24)
            for (int shot = 1; shot <= 3; ++shot)
                DrawStill(base, design, shot)
                    .save(movie.FilePath + u'.' + QString::number(shot) + u".jpg"_s, "JPG", 85);
    }
    std::printf("%d movies in %s\n", count, qPrintable(root));
    return 0;
}
