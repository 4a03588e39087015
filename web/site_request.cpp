#include "web/site_request.h"

#include "web/encodings.h"
#include "web/refusal.h"
#include "web/site_pace.h"

#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 StopCheckMs = 20;

bool Stopped(const std::atomic<bool>* stop) {
    return stop && stop->load();
}

// False when a stop came first.
bool WaitUnlessStopped(qint64 ms, const std::atomic<bool>* stop) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!Stopped(stop)) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::milliseconds(0))
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(StopCheckMs)));
    }
    return false;
}

QString PageRefusalIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return RefusalOfPage(DecodePageBytes(file.readAll()));
}

} // namespace

QString NoteSiteRefusal(const QString& host, const QString& why, const QStringList& replyHeaders) {
    NoteRefusal(SessionPacing(), host, RetryAfterMs(replyHeaders, QDateTime::currentDateTimeUtc()));
    return host + u" 拒绝："_s + why;
}

QString DownloadFromSite(YDown& down, const QString& url, const QString& outputPath, const QString& header,
                         const std::atomic<bool>* stop, bool judgePage) {
    const QString host = HostOfAddress(url);
    RequestPacing& pacing = SessionPacing();
    const qint64 wait = host.isEmpty() ? 0 : ReserveTurn(pacing, host);
    if (wait < 0)
        return host + u" 暂不访问：刚拒绝过"_s;
    if (wait > 0 && !WaitUnlessStopped(wait, stop))
        return {};
    down.Download(url, QString(), outputPath, header);
    if (Stopped(stop) || host.isEmpty())
        return {};
    QString why = RefusalOfReply(down.StatusCode, down.ReplyHeaders);
    if (why.isEmpty() && judgePage && down.StatusCode == 200) {
        why = PageRefusalIn(outputPath);
        if (!why.isEmpty())
            QFile::remove(outputPath);
    }
    return why.isEmpty() ? QString() : NoteSiteRefusal(host, why, down.ReplyHeaders);
}
