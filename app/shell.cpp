#include "app/shell.h"

#include "library/file_name.h"
#include "pages/escape.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

using namespace Qt::StringLiterals;

extern char** environ;

void OpenWithShell(const QString& path) {
    // On the path's own bytes: QProcess would re-encode a name that is not UTF-8 and miss the file.
    QByteArray argument = EncodeFileName(path);
    char program[] = "xdg-open";
    char* argv[] = {program, argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return;
    // Reaped aside, so that no finished child is left behind; xdg-open may wait as long as the player.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

void ShowInFileManager(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        OpenWithShell(folder);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                                       u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    // The address names the file's own bytes.
    call << QStringList{FileUrl(path)} << QString();
    // Asynchronous: a file manager that is slow to start must not freeze the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [folder](QDBusPendingCallWatcher* finished) {
        if (finished->isError())
            OpenWithShell(folder);
        finished->deleteLater();
    });
}
