#include "app/host_gate.h"
#include "tests/app/window_harness.h"

#include <QCoreApplication>
#include <QObject>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

TEST(HostGate, SendRunsOnTheWindowThreadAndWaits) {
    QObject receiver;
    auto gate = std::make_shared<HostGate>(&receiver);
    std::atomic<bool> ran{false}, returned{false}, result{false};
    std::thread::id ranOn;
    std::thread sender([&] {
        result = gate->Send([&] {
            ranOn = std::this_thread::get_id();
            ran = true;
        });
        returned = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return returned.load(); }));
    sender.join();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(HostGate, ClosingReleasesAWaitingSenderWithoutRunningItsCall) {
    QObject receiver;
    auto gate = std::make_shared<HostGate>(&receiver);
    std::atomic<bool> returned{false}, ran{false}, result{true};
    std::thread sender([&] {
        result = gate->Send([&] { ran = true; });
        returned = true;
    });
    // The window thread is busy (it does not run its event loop) and then closes the gate.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned);
    gate->Close();
    sender.join();
    EXPECT_FALSE(result);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);

    // Everything after the close is refused at once.
    EXPECT_FALSE(gate->Send([&] { ran = true; }));
    EXPECT_FALSE(gate->Post([&] { ran = true; }));
    std::thread([&] { EXPECT_FALSE(gate->Send([&] { ran = true; })); }).join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

TEST(HostGate, CallsForADestroyedReceiverAreDropped) {
    auto receiver = std::make_unique<QObject>();
    auto gate = std::make_shared<HostGate>(receiver.get());
    bool ran = false;
    std::thread([&] { gate->Post([&] { ran = true; }); }).join();
    gate->Close();
    receiver.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}
