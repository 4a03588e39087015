#pragma once

#include <QByteArray>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <thread>

// The real program, run as a child process in `folder` the way a user starts it, with its status
// texts echoed on standard error (--log-status). It inherits the test process's environment (a home
// of its own, the recording xdg-open, the private session bus) on the offscreen platform, with every
// HTTP request sent to `proxy`.
class ChildWindow {
public:
    ChildWindow(const QString& folder, const QByteArray& proxy);
    ~ChildWindow();

    bool started() const { return started_; }
    // Waits until a status line for which `wanted` holds has been printed; false after `timeoutMs` or
    // when the process ended first.
    bool waitForStatus(const std::function<bool(const QString&)>& wanted, int timeoutMs = 20000);
    // Asks the program to end as the desktop does at logout (SIGTERM, which closes the window) and
    // waits up to `limitMs`; returns the milliseconds until the process had ended, or -1.
    qint64 closeAndWait(int limitMs = 10000);

    QProcess::ExitStatus exitStatus() const { return process_.exitStatus(); }
    int exitCode() const { return process_.exitCode(); }
    // Everything the process printed on standard error.
    QString output();
    // Status and diagnostic lines printed so far.
    const QStringList& lines() const { return lines_; }

private:
    void readLines();

    QProcess process_;
    QByteArray pending_;
    QByteArray all_;
    QStringList lines_;
    bool started_ = false;
};

// A proxy that accepts every connection and reads the request, but never answers: a web that stalls.
class StallingProxy {
public:
    StallingProxy();
    ~StallingProxy();
    StallingProxy(const StallingProxy&) = delete;
    StallingProxy& operator=(const StallingProxy&) = delete;

    QByteArray Address() const;
    int Connections() const { return connections_; }

private:
    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

// Every file under `folder`, as paths relative to it.
QSet<QString> FilesUnder(const QString& folder);

// Files under `folder` that were not in `before` and are no page, metadata file, poster or
// thumbnail: what a close may have left behind.
QStringList LeftoverFiles(const QString& folder, const QSet<QString>& before);

// Whether the output holds a sanitizer's report.
bool HasSanitizerReport(const QString& output);
