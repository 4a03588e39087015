#include "tests/support/test_application.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// Weak, so that a test area can replace it by defining the function itself.
__attribute__((weak)) std::unique_ptr<QGuiApplication> CreateTestApplication(int& argc, char** argv) {
    return std::make_unique<QGuiApplication>(argc, argv);
}

namespace {

// Reelboard keeps what it cannot write beside a video in the user's cache. No test may touch the
// real one: each test, and every child process it starts (they inherit the environment), gets a
// fresh cache folder of its own, removed after the test; outside tests one for the whole run.
class CacheFolderPerTest : public ::testing::EmptyTestEventListener {
public:
    CacheFolderPerTest() { Point(run_); }
    void OnTestStart(const ::testing::TestInfo&) override {
        test_ = std::make_unique<QTemporaryDir>();
        Point(*test_);
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        Point(run_);
        test_.reset();
    }

private:
    static void Point(const QTemporaryDir& dir) { qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path())); }
    QTemporaryDir run_;
    std::unique_ptr<QTemporaryDir> test_;
};

} // namespace

// Core tests need the Qt application object (image codecs, text codecs) but never a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Set before anything else runs, the application object and its threads included.
    auto* cache = new CacheFolderPerTest;
    std::unique_ptr<QGuiApplication> app = CreateTestApplication(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(cache); // owned by gtest from here
    return RUN_ALL_TESTS();
}
