#pragma once

#include "library/movie_library.h"
#include "pipeline/build_thread.h"

#include <atomic>
#include <memory>
#include <thread>

// Pipelines for the window tests. The real one goes on, after the ready step, to web lookups, poster
// workers and retries, whose timing is not what these tests are about; the quiet one stops after the
// wall is written and waits for the stop.
inline void QuietPipeline(std::shared_ptr<MovieLibrary> library) {
    BuildLibrary(*library);
    while (SleepUnlessStopped(*library, 1000)) {
    }
}

// Holds the quiet pipeline before the scan until `release` is set (or the window closes).
inline auto HeldPipeline(std::shared_ptr<std::atomic<bool>> release) {
    return [release](std::shared_ptr<MovieLibrary> library) {
        while (!*release && !library->StopRequested)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!library->StopRequested)
            QuietPipeline(library);
    };
}
