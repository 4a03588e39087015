#include "app/host_gate.h"

#include <QMetaObject>
#include <algorithm>

HostGate::HostGate(QObject* receiver) : receiver_(receiver), windowThread_(receiver->thread()) {}

bool HostGate::IsOpen() {
    std::lock_guard lock(mutex_);
    return open_;
}

bool HostGate::Send(std::function<void()> call) {
    if (QThread::currentThread() == windowThread_) {
        if (!IsOpen())
            return false;
        call();
        return true;
    }
    // Each sender waits on its own condition: with ten download workers sending status texts, one
    // shared condition woke all ten for every text shown, and their churn slowed the window itself.
    auto waiter = std::make_shared<Waiter>();
    std::unique_lock lock(mutex_);
    if (!open_)
        return false;
    waiting_.push_back(waiter.get());
    // Posting never blocks, so holding the lock here cannot stall the window thread for long.
    QMetaObject::invokeMethod(
        receiver_,
        [self = shared_from_this(), call = std::move(call), waiter] {
            if (self->IsOpen())
                call();
            std::lock_guard lock(self->mutex_);
            waiter->done = true;
            waiter->finished.notify_one();
        },
        Qt::QueuedConnection);
    waiter->finished.wait(lock, [&] { return waiter->done || !open_; });
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), waiter.get()));
    return waiter->done;
}

bool HostGate::Post(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    if (!open_)
        return false;
    QMetaObject::invokeMethod(
        receiver_,
        [self = shared_from_this(), call = std::move(call)] {
            if (self->IsOpen())
                call();
        },
        Qt::QueuedConnection);
    return true;
}

void HostGate::Close() {
    {
        std::lock_guard lock(mutex_);
        open_ = false;
        for (Waiter* waiter : waiting_)
            waiter->finished.notify_one();
    }
}
