#include "tests/app/child_window.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

ChildWindow::ChildWindow(const QString& folder, const QByteArray& proxy) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        environment.insert(QString::fromLatin1(name), QString::fromLatin1(proxy));
    environment.remove(u"no_proxy"_s);
    environment.remove(u"NO_PROXY"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QTWEBENGINE_DISABLE_SANDBOX"_s, u"1"_s);
#if defined(__SANITIZE_ADDRESS__)
    // The system's browser engine is not ours to fix: its sized-delete mismatch and what it keeps
    // until exit would hide a report about our own code.
    if (!environment.contains(u"ASAN_OPTIONS"_s))
        environment.insert(u"ASAN_OPTIONS"_s, u"new_delete_type_mismatch=0"_s);
    if (!environment.contains(u"LSAN_OPTIONS"_s))
        environment.insert(u"LSAN_OPTIONS"_s, u"suppressions="_s + QStringLiteral(REELBOARD_SOURCE_DIR) +
                                                  u"/tests/app/browser_leaks.supp"_s);
#endif
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(folder);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start(QStringLiteral(REELBOARD_BINARY), {u"--log-status"_s});
    started_ = process_.waitForStarted(10000);
}

ChildWindow::~ChildWindow() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void ChildWindow::readLines() {
    const QByteArray bytes = process_.readAllStandardError();
    all_ += bytes;
    pending_ += bytes;
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
        lines_ << QString::fromUtf8(pending_.left(end));
        pending_.remove(0, end + 1);
    }
}

bool ChildWindow::waitForStatus(const std::function<bool(const QString&)>& wanted, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    qsizetype seen = 0;
    for (;;) {
        readLines();
        for (; seen < lines_.size(); ++seen)
            if (wanted(lines_[seen]))
                return true;
        if (process_.state() == QProcess::NotRunning || clock.elapsed() > timeoutMs)
            return false;
        process_.waitForReadyRead(20);
    }
}

qint64 ChildWindow::closeAndWait(int limitMs) {
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(process_.processId()), SIGTERM);
    // Drain standard error as it comes: a full pipe must not hold the process up.
    while (process_.state() != QProcess::NotRunning && clock.elapsed() < limitMs) {
        process_.waitForFinished(5);
        readLines();
    }
    const qint64 elapsed = clock.elapsed();
    readLines();
    return process_.state() == QProcess::NotRunning ? elapsed : -1;
}

QString ChildWindow::output() {
    readLines();
    return QString::fromUtf8(all_);
}

StallingProxy::StallingProxy() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 64);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    [[maybe_unused]] const int piped = ::pipe2(wake_, O_CLOEXEC);
    thread_ = std::thread([this] {
        std::vector<pollfd> watched{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        for (;;) {
            ::poll(watched.data(), nfds_t(watched.size()), -1);
            if (watched[0].revents)
                break;
            if (watched[1].revents & POLLIN) {
                const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    watched.push_back({client, POLLIN, 0});
                    ++connections_;
                }
            }
            // Requests are read and dropped so that the sender never blocks; nothing is ever answered.
            for (size_t i = 2; i < watched.size(); ++i) {
                if (!watched[i].revents)
                    continue;
                char buffer[4096];
                if (::read(watched[i].fd, buffer, sizeof buffer) <= 0)
                    watched[i].events = 0; // closed by the client: kept until the end, never polled
            }
        }
        for (size_t i = 2; i < watched.size(); ++i)
            ::close(watched[i].fd);
    });
}

StallingProxy::~StallingProxy() {
    [[maybe_unused]] const ssize_t written = ::write(wake_[1], "x", 1);
    thread_.join();
    ::close(listener_);
    ::close(wake_[0]);
    ::close(wake_[1]);
}

QByteArray StallingProxy::Address() const {
    return "http://127.0.0.1:" + QByteArray::number(port_);
}

QSet<QString> FilesUnder(const QString& folder) {
    QSet<QString> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.insert(it.next().mid(folder.size() + 1));
    return files;
}

QStringList LeftoverFiles(const QString& folder, const QSet<QString>& before) {
    QStringList leftovers;
    for (const QString& file : FilesUnder(folder)) {
        if (before.contains(file))
            continue;
        if (file.endsWith(u".html"_s) || file.endsWith(u".xml"_s) || file.endsWith(u".jpg"_s) ||
            file == u"dirs.txt.bak"_s)
            continue;
        leftovers << file;
    }
    return leftovers;
}

bool HasSanitizerReport(const QString& output) {
    return output.contains(u"AddressSanitizer"_s) || output.contains(u"LeakSanitizer"_s) ||
           output.contains(u"ThreadSanitizer"_s) || output.contains(u"runtime error:"_s);
}
