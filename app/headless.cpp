#include "app/headless.h"

#include "library/movie_library.h"
#include "pipeline/build_thread.h"

#include <QDir>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The handler may only write to a descriptor; a thread of ours reads the other end and asks the
// pipeline to stop, as closing the window does.
int SignalPipe[2] = {-1, -1};

void OnTerminationSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}

class SignalWatch {
public:
    explicit SignalWatch(std::shared_ptr<MovieLibrary> library) {
        if (::pipe2(SignalPipe, O_CLOEXEC) != 0)
            return;
        ::fcntl(SignalPipe[1], F_SETFL, O_NONBLOCK);
        thread_ = std::thread([this, library = std::move(library)] {
            char byte = 0;
            while (::read(SignalPipe[0], &byte, 1) < 0 && errno == EINTR) {
            }
            if (byte == 0)
                return; // the run is over
            signal_ = static_cast<unsigned char>(byte);
            RequestStop(*library);
        });
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        // A second signal ends the process the usual way, should the stop itself hang.
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        for (const int signal : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(signal, &action, nullptr);
    }
    ~SignalWatch() {
        if (!thread_.joinable())
            return;
        const char done = 0;
        [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &done, 1);
        thread_.join();
    }
    int Signal() const { return signal_; }

private:
    std::thread thread_;
    std::atomic<int> signal_{0};
};

QString SignalName(int signal) {
    switch (signal) {
    case SIGTERM:
        return u"SIGTERM"_s;
    case SIGINT:
        return u"SIGINT"_s;
    case SIGHUP:
        return u"SIGHUP"_s;
    default:
        return u"signal "_s + QString::number(signal);
    }
}

} // namespace

QString HeadlessSummary(const MovieLibrary& library, int signal) {
    const WorkCounts& counts = library.Counts;
    QString ending = u"done"_s;
    if (signal)
        ending = u"stopped by "_s + SignalName(signal);
    else if (counts.ListedFoldersRead == 0)
        ending = u"done, but dirs.txt named no folder that could be read"_s;
    return u"reelboard: "_s + ending + u": movies found "_s + QString::number(library.Movies.size()) +
           u", folders scanned "_s + QString::number(counts.FoldersScanned) + u", lookups tried "_s +
           QString::number(counts.LookupsDone) + u", found "_s + QString::number(counts.LookupsFound) +
           u", posters stored "_s + QString::number(counts.PostersStored);
}

int RunHeadless() {
    auto library = std::make_shared<MovieLibrary>();
    library->Host.ShowStatus = [](const QString& text) {
        const QByteArray line = text.toUtf8() + '\n';
        std::fwrite(line.constData(), 1, line.size(), stderr);
        std::fflush(stderr);
    };
    // Nothing to enable or show: the library is ready as soon as the thread says so.
    library->Host.LibraryReady = [] {};
    int signal = 0;
    {
        SignalWatch watch(library);
        RunHeadlessPipeline(library);
        signal = watch.Signal();
    }
    const QByteArray summary = HeadlessSummary(*library, signal).toUtf8() + '\n';
    std::fwrite(summary.constData(), 1, summary.size(), stderr);
    std::fflush(stderr);
    if (signal)
        return 128 + signal;
    return library->Counts.ListedFoldersRead == 0 ? 1 : 0;
}
