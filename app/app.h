#pragma once

#include <QString>
#include <memory>

class CMainFrame;
class QApplication;

// How the window was asked to run.
struct WindowOptions {
    bool dataFolder = false; // work in the per-user data folder (the desktop entry passes this)
    QString screenshot;      // save the window to this file once the wall has loaded, then quit
    QString screenshotFilm;  // and then the film page of the first movie found, to this file
    bool benchWall = false;  // print the wall's load time and the browser's memory, then quit
    bool logStatus = false;  // also print every status text on standard error, one a line
};

// Reads the options of the window from the command line (after the Qt options are removed).
WindowOptions ParseWindowOptions(const QStringList& arguments);

// The per-user working folder used when started from the desktop menu; created when missing.
// Empty when it cannot be created.
QString PrepareDataFolder();

// The application: the Qt application object and the one main window.
class CReelboardApp {
public:
    CReelboardApp(int& argc, char** argv);
    ~CReelboardApp();

    // Start-up: working folder, window, pipeline. False ends the program at once.
    bool InitInstance();
    // The message loop, then the shutdown; returns the exit code.
    int Run();

private:
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<CMainFrame> frame_;
    WindowOptions options_;
};

// Runs the desktop window until it is closed; returns the process exit code.
int RunWindowApp(int argc, char** argv);
