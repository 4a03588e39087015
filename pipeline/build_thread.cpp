#include "pipeline/build_thread.h"

int BuildLibraryThread(std::shared_ptr<MovieLibrary> library) {
    (void)library;
    return 1;
}

void RunHeadlessPipeline(std::shared_ptr<MovieLibrary> library) { BuildLibraryThread(library); }
