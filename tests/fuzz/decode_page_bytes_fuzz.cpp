// A downloaded page decoded by the charset it declares (each of the three converters is reached through
// the declaration), and the query encoding of what came out.
#include "tests/fuzz/fuzz_support.h"
#include "web/encodings.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    const QString page = DecodePageBytes(bytes);
    // Every converter yields at most one UTF-16 unit per input byte.
    if (page.size() > bytes.size())
        std::abort();
    EncodeQuery(page.left(256));
    return 0;
}
