// The stored form of the built-in texts, decoded from arbitrary bytes, and the encoders' round trips.
#include "pages/text_codec.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray stored = FuzzBytes(data, size); // QByteArray keeps a terminating zero
    const QString text = DecodeText(stored.constData());
    const QString wide = DecodeWideText(stored.constData());
    if (DecodeText(EncodeText(text).constData()) != ReferenceWideCharacters(text))
        std::abort();
    if (!wide.contains(QChar(0)) && DecodeWideText(EncodeWideText(wide).constData()) != wide)
        std::abort();
    return 0;
}
