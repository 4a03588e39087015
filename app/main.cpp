#include "app/command_line.h"
#include "app/headless.h"

#include <QGuiApplication>
#include <cstdio>
#include <unistd.h>

#ifdef REELBOARD_HAS_WINDOW
#include "app/app.h"
#endif

using namespace Qt::StringLiterals;

namespace {

const char NoDisplayText[] = "reelboard: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
                             "to scan and look up without a window, run: reelboard --headless\n";

void Print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

#ifdef REELBOARD_HAS_WINDOW
const char UnreachableDisplayText[] = "reelboard: the display cannot be reached, so the window cannot open; "
                                      "to scan and look up without a window, run: reelboard --headless\n";

QtMessageHandler QtHandler = nullptr;

// A display that is named but cannot be reached makes Qt give up with a fatal message and an abort
// (a core dump). Said in one line instead, with the way out; the notes leading up to it are left out.
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const bool platformPlugin = qstrcmp(context.category, "qt.qpa.plugin") == 0 ||
                                message.contains(u"platform plugin"_s, Qt::CaseInsensitive) ||
                                message.contains(u"could not connect to display"_s, Qt::CaseInsensitive);
    if (type == QtFatalMsg && platformPlugin) {
        std::fputs(UnreachableDisplayText, stderr);
        std::fflush(stderr);
        ::_exit(UsageExitCode);
    }
    if (platformPlugin)
        return;
    if (QtHandler)
        QtHandler(type, context, message);
}
#endif

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(u"reelboard"_s);
    QCoreApplication::setApplicationVersion(u"1.05"_s);
    const CommandLine line = ParseCommandLine(Arguments(argc, argv));
    switch (line.action) {
    case CommandLine::Action::Help:
        Print(stdout, line.usage);
        return 0;
    case CommandLine::Action::Version:
        std::puts("Reelboard 1.05");
        return 0;
    case CommandLine::Action::Error:
        Print(stderr, u"reelboard: "_s + line.error + u"\n\n"_s + line.usage);
        return UsageExitCode;
    case CommandLine::Action::Run:
        break;
    }

    if (line.headless) {
        // QGuiApplication for the image codecs; the offscreen platform needs no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        if (line.dataFolder && !EnterDataFolder()) {
            std::fputs("reelboard: cannot create or enter the data folder ~/.local/share/reelboard\n", stderr);
            return 1;
        }
        return RunHeadless();
    }
#ifdef REELBOARD_HAS_WINDOW
    if (!HasDisplay(line.platform)) {
        std::fputs(NoDisplayText, stderr);
        return UsageExitCode;
    }
    QtHandler = qInstallMessageHandler(OnQtMessage);
    return RunWindowApp(argc, argv);
#else
    std::fputs("reelboard: this build has no window; run it with --headless\n", stderr);
    return UsageExitCode;
#endif
}
