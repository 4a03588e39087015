#include "app/session_end.h"
#include "library/movie_library.h"
#include "tests/app/window_harness.h"

#include <QWidget>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

TEST(SessionEnd, ATerminationSignalClosesTheWindowOnceThenEndsTheProcessAsUsual) {
    QWidget window;
    window.show();
    CloseOnTerminationSignals(&window);
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_TRUE(WaitUntil([&] { return !window.isVisible(); }));
    // A second signal finds the default action again, should the close itself hang.
    struct sigaction now {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
    for (const int other : {SIGINT, SIGHUP}) {
        sigaction(other, nullptr, &now);
        EXPECT_NE(now.sa_handler, SIG_DFL) << other;
        signal(other, SIG_DFL); // leave the test process as it was
    }
}

TEST(SessionEnd, WaitsForThreadsThatStillHoldTheLibrary) {
    auto library = std::make_shared<MovieLibrary>();
    EXPECT_EQ(WaitForLibraryThreads(library, 0), 0);

    std::thread quick([held = library] { std::this_thread::sleep_for(std::chrono::milliseconds(30)); });
    EXPECT_EQ(WaitForLibraryThreads(library, 5000), 0);
    quick.join();

    std::atomic<bool> release{false};
    std::thread stuck([held = library, &release] {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    EXPECT_EQ(WaitForLibraryThreads(library, 50), 1);
    release = true;
    stuck.join();
}
