// The main text of an information page, cut into the record's fields (and saved as its metadata file).
#include "extract/movie_info.h"
#include "library/movie_xml.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString video = FuzzFolder() + u"/Movie.mkv"_s;
    MovieRecord record;
    record.FilePath = video;
    ExtractMovieInfo(record, FuzzText(data, size));
    if (record.Overview.isEmpty())
        std::abort(); // an empty overview is always replaced by the no-information text
    return 0;
}
