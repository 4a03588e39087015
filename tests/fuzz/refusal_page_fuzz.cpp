// A page a site answered, judged for a refusal: any bytes, any markup, one of three verdicts.
#include "tests/fuzz/fuzz_support.h"
#include "web/encodings.h"
#include "web/refusal.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString why = RefusalOfPage(DecodePageBytes(FuzzBytes(data, size)));
    if (!why.isEmpty() && why != u"要求验证"_s && why != u"要求登录"_s)
        std::abort();
    return 0;
}
