#pragma once

#include <QGuiApplication>
#include <memory>

// Creates the Qt application object of a test executable. The default gives a QGuiApplication; a test
// area that needs more (the window tests need a QApplication and a browser) defines its own version.
std::unique_ptr<QGuiApplication> CreateTestApplication(int& argc, char** argv);
