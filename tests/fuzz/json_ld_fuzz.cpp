// A JSON-LD block as pages write it, read leniently.
#include "extract/json_ld.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PageFacts facts = ReadJsonLdText(FuzzText(data, size), u"https://site.example/title/1"_s);
    for (const QString& address : facts.Posters)
        if (!address.startsWith(u"http"_s))
            std::abort(); // pictures are resolved to web addresses or left out
    return 0;
}
