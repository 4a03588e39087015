#include "app/command_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// Qt's own options, which QGuiApplication takes from the command line after this parser has run.
QList<QCommandLineOption> QtOptions() {
    QList<QCommandLineOption> options;
    for (const QString& name :
         {u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s, u"plugin"_s, u"display"_s, u"qwindowgeometry"_s,
          u"qwindowtitle"_s, u"qwindowicon"_s, u"style"_s, u"stylesheet"_s, u"session"_s})
        options.append(QCommandLineOption(name, QString(), u"value"_s));
    for (const QString& name : {u"reverse"_s, u"nograb"_s, u"dograb"_s, u"sync"_s, u"widgetcount"_s})
        options.append(QCommandLineOption(name));
    for (QCommandLineOption& option : options)
        option.setFlags(QCommandLineOption::HiddenFromHelp);
    return options;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform offscreen" as Qt programs take it, not "-p -l -a ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Shows the movies of the folders listed in \"dirs.txt\" (in the working folder) as a wall of posters, "
        "looking up missing information and posters on the web."_s);
    // Qt's own help and version options need the application object, which must not exist yet.
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays this help."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Displays the version."_s);
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption headless(
        u"headless"_s, u"Run without a window: scan, look up, download posters, write the wall page, then exit. "
                       "Status texts and a closing summary go to standard error."_s);
    const QCommandLineOption dataFolder(u"data-folder"_s,
                                        u"Work in ~/.local/share/reelboard instead of the current folder."_s);
    parser.addOption(headless);
    parser.addOption(dataFolder);
    // Used by the tests and benchmarks of the window.
    QCommandLineOption screenshot(u"screenshot"_s, QString(), u"file"_s);
    QCommandLineOption screenshotFilm(u"screenshot-film"_s, QString(), u"file"_s);
    QCommandLineOption benchWall(u"bench-wall"_s);
    QCommandLineOption logStatus(u"log-status"_s);
    for (QCommandLineOption* option : {&screenshot, &screenshotFilm, &benchWall, &logStatus}) {
        option->setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(*option);
    }
    const QCommandLineOption platform = QtOptions().first();
    parser.addOptions(QtOptions());

    CommandLine line;
    line.usage = parser.helpText().replace(u"<executable_name>"_s, u"reelboard"_s);
    if (!parser.parse(arguments)) {
        line.action = CommandLine::Action::Error;
        line.error = parser.errorText();
        return line;
    }
    if (!parser.positionalArguments().isEmpty()) {
        line.action = CommandLine::Action::Error;
        line.error = u"Unexpected argument '"_s + parser.positionalArguments().first() + u"'."_s;
        return line;
    }
    if (parser.isSet(help))
        line.action = CommandLine::Action::Help;
    else if (parser.isSet(version))
        line.action = CommandLine::Action::Version;
    line.headless = parser.isSet(headless);
    line.dataFolder = parser.isSet(dataFolder);
    line.platform = parser.value(platform);
    return line;
}

bool EnterDataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return !folder.isEmpty() && QDir().mkpath(folder) && QDir::setCurrent(folder);
}

bool HasDisplay(const QString& platform) {
    QString chosen = platform.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : platform;
    chosen = chosen.section(u':', 0, 0); // "offscreen:fontengine=..." names the plugin first
    if (!chosen.isEmpty() && !chosen.startsWith(u"xcb"_s) && !chosen.startsWith(u"wayland"_s))
        return true; // offscreen, vnc, eglfs, ...: Qt knows where to draw without a display server
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
