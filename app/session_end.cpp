#include "app/session_end.h"

#include "library/movie_library.h"

#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// The handler may only write to a descriptor; the event loop reads the other end.
int SignalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[0], &byte, 1);
    errno = saved;
}

} // namespace

void CloseOnTerminationSignals(QWidget* window) {
    if (SignalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0)
        return;
    // A burst of signals must never block the handler, nor the reading end the window.
    for (const int end : SignalPipe)
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(SignalPipe[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char bytes[16];
        while (::read(SignalPipe[1], bytes, sizeof bytes) == sizeof bytes) {
        }
        window->close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // A second signal ends the process the usual way, should the close itself hang.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

long WaitForLibraryThreads(const std::shared_ptr<MovieLibrary>& library, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (library.use_count() > 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return library.use_count() - 1;
}
