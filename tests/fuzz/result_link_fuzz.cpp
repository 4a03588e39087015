// One address from a results page, read as an engine's click-through address.
#include "tests/fuzz/fuzz_support.h"
#include "web/result_links.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// What may go on as a candidate page: a web address without blanks, quotes or angle brackets.
bool IsUsableTarget(const QString& target) {
    if (!IsWebAddress(target))
        return false;
    for (QChar c : target) {
        if (c.isSpace() || c.unicode() < 0x20 || c == u'"' || c == u'\'' || c == u'<' || c == u'>')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString link = FuzzText(data, size);
    if (const auto target = BingResultTarget(link)) {
        if (!target->isEmpty() && !IsUsableTarget(*target))
            std::abort();
        // The wrapper's host is Bing's; its target must not be taken for a Sogou wrapper of the link.
        if (IsSogouResultLink(link))
            std::abort();
    }
    if (IsSogouResultLink(link) && !IsWebAddress(link))
        std::abort();
    // A prefix matches a link only when the link carries the prefix's rest after its scheme.
    const QString prefix = u"http://www.dytt8.net/"_s;
    if (StartsWithSiteAddress(link, prefix) && !link.contains(u"://www.dytt8.net/"_s))
        std::abort();
    return 0;
}
