#include "library/wall_choice.h"

#include "library/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

bool KnownSort(const QString& sort) {
    return sort.isEmpty() || sort == u"title" || sort == u"year" || sort == u"rating" || sort == u"added";
}

bool KnownFacet(const QString& facet) {
    return facet == u"genre" || facet == u"country" || facet == u"decade";
}

QString ChoicePath() {
    return QDir::current().absoluteFilePath(QString::fromUtf16(WallChoiceFileName));
}

} // namespace

WallChoice ReadWallChoice() {
    QFile file(ChoicePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    WallChoice choice;
    const QString text = QString::fromUtf8(file.read(4096));
    for (const QString& line : text.split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed(), value = line.mid(equals + 1).trimmed();
        if (key == u"sort")
            choice.Sort = value;
        else if (key == u"order")
            choice.Descending = value == u"desc";
        else if (key == u"facet")
            choice.Facet = value;
        else if (key == u"value")
            choice.FacetValue = value;
    }
    if (!KnownSort(choice.Sort))
        choice.Sort.clear(), choice.Descending = false;
    if (!KnownFacet(choice.Facet) || choice.FacetValue.isEmpty())
        choice.Facet.clear(), choice.FacetValue.clear();
    return choice;
}

bool WriteWallChoice(const WallChoice& choice) {
    const QString text = u"sort="_s + choice.Sort + u"\norder="_s + (choice.Descending ? u"desc"_s : u"asc"_s) +
                         u"\nfacet="_s + choice.Facet + u"\nvalue="_s + choice.FacetValue + u'\n';
    return WriteFileAtomically(ChoicePath(), text.toUtf8());
}

WallChoice WithSort(WallChoice choice, const QString& sort) {
    const bool descending = sort.endsWith(u"-desc"_s);
    const QString key = descending ? sort.chopped(5) : sort;
    if (!KnownSort(key))
        return choice;
    choice.Sort = key;
    choice.Descending = descending && !key.isEmpty();
    return choice;
}

WallChoice WithFacet(WallChoice choice, const QString& facet) {
    const qsizetype grave = facet.indexOf(u'`');
    const QString kind = facet.left(grave), value = grave < 0 ? QString() : facet.mid(grave + 1).trimmed();
    if (facet.isEmpty() || value.isEmpty()) {
        choice.Facet.clear();
        choice.FacetValue.clear();
    } else if (KnownFacet(kind)) {
        choice.Facet = kind;
        // One line of the file: no line break may come in with the value.
        choice.FacetValue = QString(value).replace(u'\n', u' ').replace(u'\r', u' ');
    }
    return choice;
}
