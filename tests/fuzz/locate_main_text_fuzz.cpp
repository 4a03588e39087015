// Where the dense text of a downloaded page lies.
#include "tests/fuzz/fuzz_support.h"
#include "web/info_page.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page = FuzzText(data, size);
    const MainTextRegion region = LocateMainText(page);
    if (region.Found && (region.Start < 0 || region.Length <= 0 || region.Start + region.Length > page.size()))
        std::abort(); // callers cut the page with these numbers
    return 0;
}
