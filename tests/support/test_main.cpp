#include "tests/support/test_application.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

// Weak, so that a test area can replace it by defining the function itself.
__attribute__((weak)) std::unique_ptr<QGuiApplication> CreateTestApplication(int& argc, char** argv) {
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Core tests need the Qt application object (image codecs, text codecs) but never a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QGuiApplication> app = CreateTestApplication(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
