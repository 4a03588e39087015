#include "app/headless.h"

#include "library/movie_library.h"
#include "pipeline/build_thread.h"

#include <QTextStream>
#include <cstdio>
#include <memory>

int RunHeadless() {
    auto library = std::make_shared<MovieLibrary>();
    library->Host.ShowStatus = [](const QString& text) {
        const QByteArray line = text.toUtf8() + '\n';
        std::fwrite(line.constData(), 1, line.size(), stderr);
        std::fflush(stderr);
    };
    // Nothing to enable or show: the library is ready as soon as the thread says so.
    library->Host.LibraryReady = [] {};
    RunHeadlessPipeline(library);
    return 0;
}
