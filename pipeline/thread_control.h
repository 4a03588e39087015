#pragma once

#include "library/movie_library.h"

#include <functional>
#include <memory>

// Starts the build thread (slot 0) or a download worker (slots 1 to 10). The thread holds its own
// reference to the library, so a thread still running at close keeps the library alive. Starts nothing
// once a stop has been requested.
void StartLibraryThread(const std::shared_ptr<MovieLibrary>& library, int slot,
                        std::function<void(std::shared_ptr<MovieLibrary>)> body);

// The stop sequence: requests the stop, gives each thread `waitMs` to end, joins the ones that have
// ended and detaches the rest. Never blocks longer than about 11 x waitMs.
void StopLibraryThreads(const std::shared_ptr<MovieLibrary>& library, int waitMs = 10);

// Waits without limit until the ten workers have ended (headless run).
void JoinWorkerThreads(MovieLibrary& library);
