// A search engine's results page read into links, with the program's own preferred and excluded lists.
#include "library/split_string.h"
#include "pages/builtin_texts.h"
#include "pages/text_codec.h"
#include "tests/fuzz/fuzz_support.h"
#include "web/search.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

QStringList BuiltInList(const char* stored) {
    QStringList entries = SplitString(DecodeText(stored), u'`');
    entries.removeAll(QString());
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QStringList prefixes = BuiltInList(SearchLinkPrefixes);
    static const QStringList exclusions = BuiltInList(SearchLinkExclusions);
    const SearchResults results = ReadSearchResults(FuzzBytes(data, size), prefixes, exclusions);
    if (!results.Preferred.isEmpty() && !results.Links.contains(results.Preferred))
        std::abort();
    for (const QString& link : results.Links) {
        if (!link.startsWith(u"http://"_s) && !link.startsWith(u"https://"_s))
            std::abort();
    }
    return 0;
}
