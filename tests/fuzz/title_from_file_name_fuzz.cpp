// Wall titles made from whatever file names a shared disk holds.
#include "library/title.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = FuzzText(data, size);
    const QString title = TitleFromFileName(name);
    if (title.size() > name.size() * 3) // lower-casing may lengthen a character, but never by more
        std::abort();
    return 0;
}
