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
    std::lock_guard lock(library->ThreadsMutex);
    // Once the stop sequence has begun nothing new starts: it may have passed this slot already, and
    // a thread started now would run on unseen after the window is gone.
    if (library->StopRequested)
        return;
    library->ThreadDone[slot] = false;
    SlotThread(*library, slot) = std::thread([library, slot, body = std::move(body)] {
        body(library);
        library->ThreadDone[slot] = true;
    });
}

void StopLibraryThreads(const std::shared_ptr<MovieLibrary>& library, int waitMs) {
    RequestStop(*library);
    for (int slot = 0; slot <= WorkerCount; ++slot) {
        {
            std::lock_guard lock(library->ThreadsMutex);
            if (!SlotThread(*library, slot).joinable())
                continue;
        }
        // Not under the lock: the build thread may be waiting for it to start a worker.
        WaitForSlot(*library, slot, waitMs);
        std::lock_guard lock(library->ThreadsMutex);
        std::thread& thread = SlotThread(*library, slot);
        if (!thread.joinable())
            continue;
        if (library->ThreadDone[slot])
            thread.join();
        else
            thread.detach(); // it still holds the library; it ends at its next stop check
    }
}

void JoinWorkerThreads(MovieLibrary& library) {
    for (int slot = 1; slot <= WorkerCount; ++slot) {
        // Taken out of its slot first, so the join itself runs without the lock.
        std::thread worker;
        {
            std::lock_guard lock(library.ThreadsMutex);
            worker = std::move(SlotThread(library, slot));
        }
        if (worker.joinable())
            worker.join();
    }
}
