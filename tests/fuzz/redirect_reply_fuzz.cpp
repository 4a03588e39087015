// The reply of an engine's click-through address: where its refresh element or script sends the browser.
#include "tests/fuzz/fuzz_support.h"
#include "web/result_links.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString target = ReadRedirectReply(FuzzBytes(data, size));
    if (target.isEmpty())
        return 0;
    if (!IsWebAddress(target))
        std::abort();
    for (QChar c : target) {
        if (c.unicode() <= 0x20 || c == u'"' || c == u'\'' || c == u'<' || c == u'>')
            std::abort();
    }
    return 0;
}
