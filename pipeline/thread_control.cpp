#include "pipeline/thread_control.h"

#include <chrono>

namespace {

std::thread& SlotThread(MovieLibrary& library, int slot) {
    return slot == 0 ? library.BuildThread : library.WorkerThreads[slot - 1];
}

void WaitForSlot(MovieLibrary& library, int slot, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!library.ThreadDone[slot] && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

void StartLibraryThread(const std::shared_ptr<MovieLibrary>& library, int slot,
                        std::function<void(std::shared_ptr<MovieLibrary>)> body) {
    library->ThreadDone[slot] = false;
    SlotThread(*library, slot) = std::thread([library, slot, body = std::move(body)] {
        body(library);
        library->ThreadDone[slot] = true;
    });
}

void StopLibraryThreads(const std::shared_ptr<MovieLibrary>& library, int waitMs) {
    RequestStop(*library);
    for (int slot = 0; slot <= WorkerCount; ++slot) {
        std::thread& thread = SlotThread(*library, slot);
        if (!thread.joinable())
            continue;
        WaitForSlot(*library, slot, waitMs);
        if (library->ThreadDone[slot])
            thread.join();
        else
            thread.detach(); // it still holds the library; it ends at its next stop check
    }
}

void JoinWorkerThreads(MovieLibrary& library) {
    for (std::thread& worker : library.WorkerThreads)
        if (worker.joinable())
            worker.join();
}
