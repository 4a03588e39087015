#include "extract/entities.h"

#include <QStringView>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Names match exactly, letter case and final semicolon included. No replacement character starts a
// reference, so the order of the rows does not matter.
constexpr std::array<std::pair<QStringView, char16_t>, 29> EntityTable{{
    {u"&Aacute;", u'\u00C1'},  {u"&Alpha;", u'\u0391'},  {u"&Gamma;", u'\u0393'},  {u"&aacute;", u'\u00E1'},
    {u"&agrave;", u'\u00E0'},  {u"&ang;", u'\u2220'},    {u"&eacute;", u'\u00E9'}, {u"&ecirc;", u'\u00EA'},
    {u"&egrave;", u'\u00E8'},  {u"&hellip;", u'\u2026'}, {u"&iacute;", u'\u00ED'}, {u"&iota;", u'\u03B9'},
    {u"&ldquo;", u'\u201C'},   {u"&lsquo;", u'\u2018'},  {u"&mdash;", u'\u2014'},  {u"&middot;", u'\u00B7'},
    {u"&ndash;", u'\u2013'},   {u"&ntilde;", u'\u00F1'}, {u"&oacute;", u'\u00F3'}, {u"&ocirc;", u'\u00F4'},
    {u"&omicron;", u'\u03BF'}, {u"&psi;", u'\u03C8'},    {u"&rdquo;", u'\u201D'},  {u"&rsquo;", u'\u2019'},
    {u"&theta;", u'\u03B8'},   {u"&times;", u'\u00D7'},  {u"&uacute;", u'\u00FA'}, {u"&upsilon;", u'\u03C5'},
    {u"&uuml;", u'\u00FC'},
}};

} // namespace

QString DecodeEntities(const QString& text) {
    if (!text.contains(u'&'))
        return text;
    QString result = text;
    for (const auto& [name, character] : EntityTable)
        result.replace(name.toString(), QString(QChar(character)));
    return result;
}
