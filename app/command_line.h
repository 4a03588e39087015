#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for, read before any Qt application object exists: --help, --version
// and a mistyped option must answer without a display and without touching the working folder.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    bool headless = false;   // the batch run: no window, status texts on standard error
    bool dataFolder = false; // work in the per-user data folder (the desktop entry passes this)
    QString platform;        // Qt's own -platform, when given
    QString error;           // what was wrong, for Action::Error
    QString usage;           // the help text
};

// `arguments` as argv holds them, the program name first. Accepts the window's hidden options and
// Qt's own (-platform, -style, ...), which the application object reads later.
CommandLine ParseCommandLine(const QStringList& arguments);

// Exit status for a command line that cannot be run, as usage errors have it.
inline constexpr int UsageExitCode = 2;

// The per-user working folder (~/.local/share/reelboard), created when missing; made current.
// False when it cannot be created or entered.
bool EnterDataFolder();

// Whether a window can be opened: a display is named, or a platform that needs none was chosen.
bool HasDisplay(const QString& platform);
