#include "app/host_gate.h"

#include <QMetaObject>

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
    auto done = std::make_shared<bool>(false);
    std::unique_lock lock(mutex_);
    if (!open_)
        return false;
    // Posting never blocks, so holding the lock here cannot stall the window thread for long.
    QMetaObject::invokeMethod(
        receiver_,
        [self = shared_from_this(), call = std::move(call), done] {
            if (self->IsOpen())
                call();
            {
                std::lock_guard lock(self->mutex_);
                *done = true;
            }
            self->finished_.notify_all();
        },
        Qt::QueuedConnection);
    finished_.wait(lock, [&] { return *done || !open_; });
    return *done;
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
    }
    finished_.notify_all();
}
