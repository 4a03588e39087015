#include "library/lower_case.h"

#include <string_view>

namespace {

// Code units that QString::toLower() leaves alone and that are common in titles and overviews.
bool HasNoCase(char16_t c) {
    return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFF20);
}

} // namespace

QString LowerCase(const QString& text) {
    QString lowered(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(lowered.data());
    const char16_t* in = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = in[i];
        if (c < 0x80)
            out[i] = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
        else if (HasNoCase(c))
            out[i] = c;
        else
            return text.toLower();
    }
    return lowered;
}

bool LowerTailOccursIn(QStringView text, qsizetype count, QStringView haystack) {
    const QStringView tail = text.right(count);
    char16_t buffer[8];
    if (tail.size() > qsizetype(std::size(buffer)))
        return haystack.contains(tail.toString().toLower());
    for (qsizetype i = 0; i < tail.size(); ++i) {
        const char16_t c = tail[i].unicode();
        if (c >= 0x80)
            return haystack.contains(tail.toString().toLower());
        buffer[i] = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    }
    return std::u16string_view(haystack.utf16(), size_t(haystack.size()))
               .find(std::u16string_view(buffer, size_t(tail.size()))) != std::u16string_view::npos;
}
