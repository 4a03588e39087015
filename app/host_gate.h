#pragma once

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The way from the pipeline's threads to the window thread. A call either runs on the window thread
// or, once the window has closed the gate, not at all: a thread that outlives the window never reaches
// it, and a thread waiting for the window is released when the gate closes, so closing never hangs.
class HostGate : public std::enable_shared_from_this<HostGate> {
public:
    // `receiver` lives on the window thread; the gate must be closed before it is destroyed.
    explicit HostGate(QObject* receiver);

    // Runs `call` on the window thread and waits until it has run. Returns false, without running it,
    // when the gate is (or becomes) closed first. On the window thread itself it runs at once.
    bool Send(std::function<void()> call);

    // Queues `call` to run on the window thread unless the gate is closed by then; never waits.
    bool Post(std::function<void()> call);

    // Refuses every later call and releases every waiting sender. Window thread only.
    void Close();

    bool IsOpen();

private:
    QObject* receiver_;
    QThread* windowThread_;
    struct Waiter {
        std::condition_variable finished;
        bool done = false;
    };

    std::mutex mutex_;
    std::vector<Waiter*> waiting_; // senders waiting for their call, each on its own condition
    bool open_ = true;
};
