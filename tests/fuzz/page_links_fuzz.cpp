// The ftp addresses of an information page.
#include "tests/fuzz/fuzz_support.h"
#include "web/links.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString ftp = ExtractFtpLinks(ParseHtml(FuzzText(data, size)));
    // Each address is followed by a grave accent, so a non-empty result ends with one.
    if (!ftp.isEmpty() && !ftp.endsWith(u'`'))
        std::abort();
    return 0;
}
