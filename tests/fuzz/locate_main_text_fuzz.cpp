// Where the dense text of a parsed page lies.
#include "tests/fuzz/fuzz_support.h"
#include "web/main_text.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const VisibleText shown = RenderVisibleText(ParseHtml(FuzzText(data, size)));
    if (shown.Marks.size() != size_t(shown.Text.size()))
        std::abort(); // one mark per character
    const MainTextRegion region = LocateMainText(shown);
    if (region.Found && (region.Start < 0 || region.Length <= 0 || region.Start + region.Length > shown.Text.size()))
        std::abort(); // callers cut the text with these numbers
    return 0;
}
