#include <QGuiApplication>
#include <gtest/gtest.h>

// Core tests need the Qt application object (image codecs, text codecs) but never a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
