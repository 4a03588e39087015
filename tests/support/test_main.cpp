#include "tests/support/test_application.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// Weak, so that a test area can replace it by defining the function itself.
__attribute__((weak)) std::unique_ptr<QGuiApplication> CreateTestApplication(int& argc, char** argv) {
    return std::make_unique<QGuiApplication>(argc, argv);
}

namespace {

// Reelboard keeps what it cannot write beside a video in the user's cache. No test may touch the
// real one: each test, and every child process it starts (they inherit the environment), gets a
// fresh cache folder of its own; outside tests one for the whole run. The folders are removed at exit,
// not after each test: the window tests' browser keeps using the cache it was started with.
class CacheFolderPerTest : public ::testing::EmptyTestEventListener {
public:
    CacheFolderPerTest() { Point(run_); }
    void OnTestStart(const ::testing::TestInfo&) override {
        tests_.push_back(std::make_unique<QTemporaryDir>());
        Point(*tests_.back());
    }
    void OnTestEnd(const ::testing::TestInfo&) override { Point(run_); }

private:
    static void Point(const QTemporaryDir& dir) { qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path())); }
    QTemporaryDir run_;
    std::vector<std::unique_ptr<QTemporaryDir>> tests_;
};

} // namespace

// Core tests need the Qt application object (image codecs, text codecs) but never a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Set before anything else runs, the application object and its threads included.
    auto* cache = new CacheFolderPerTest;
    std::unique_ptr<QGuiApplication> app = CreateTestApplication(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    listeners.Append(cache);
    const int result = RUN_ALL_TESTS();
    delete listeners.Release(cache); // gtest never destroys its own: the folders go here
    return result;
}
