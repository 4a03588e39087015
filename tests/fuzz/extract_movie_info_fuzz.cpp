// The whole reading of a downloaded information page: decoding, parsing, the structured data, the main
// text and its labelled lines, the pictures.
#include "extract/movie_info.h"
#include "tests/fuzz/fuzz_support.h"
#include "web/encodings.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

bool IsWebAddress(const QString& address) {
    return address.startsWith(u"http://"_s) || address.startsWith(u"https://"_s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const InfoPageReading reading = ReadInfoPage(DecodePageBytes(FuzzBytes(data, size)), u"http://site.example/a/b"_s);
    // The poster download takes what is listed here: web addresses only, and never more than a poster's
    // few candidates and five stills.
    if (reading.PosterCandidates.size() > 4 || reading.Stills.size() > 5)
        std::abort();
    for (const QString& address : reading.PosterCandidates + reading.Stills)
        if (!IsWebAddress(address) || address.contains(u'`') || address.contains(u' '))
            std::abort();
    if (reading.Found != (!reading.Facts.Title.trimmed().isEmpty() || !reading.Overview.trimmed().isEmpty()))
        std::abort();
    return 0;
}
