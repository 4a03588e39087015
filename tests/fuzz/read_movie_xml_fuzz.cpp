// The metadata file beside a video, as any other program may have written it.
#include "library/movie_xml.h"
#include "tests/fuzz/fuzz_support.h"

#include <QFile>
#include <cstdlib>
#include <fcntl.h>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString video = FuzzFolder() + u"/Movie.mkv"_s;
    WriteFuzzFile(video + u".xml"_s, FuzzBytes(data, size));

    MovieRecord record;
    record.FilePath = video;
    ReadMovieXml(record);
    // Whatever was read must be a searchable record again, and its own file must read back whole.
    if (record.SearchKey != SearchKeyOf(record))
        std::abort();
    MovieRecord again;
    if (!ReadMovieXmlAt(again, AT_FDCWD, video + u".xml"_s) || again.Title != record.Title ||
        again.Overview != record.Overview || again.picurl != record.picurl)
        std::abort();
    return 0;
}
