#include "web/ydown.h"

#include <QByteArray>
#include <QFile>
#include <chrono>
#include <curl/curl.h>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr int StopCheckMs = 20;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// "http://" or "https://" exactly, then a host of at least one character and a path that starts with "/".
bool SplitHttpAddress(const QString& url, QString& scheme, QString& host, QString& path) {
    if (url.startsWith(u"http://"_s))
        scheme = u"http://"_s;
    else if (url.startsWith(u"https://"_s))
        scheme = u"https://"_s;
    else
        return false;
    const QString rest = url.mid(scheme.size());
    const qsizetype slash = rest.indexOf(u'/');
    if (slash < 1)
        return false;
    host = rest.left(slash);
    path = rest.mid(slash);
    return true;
}

// A raw blank or a byte outside printable ASCII cannot go on the request line: send it escaped.
QByteArray RequestTarget(const QString& path) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray target;
    for (char c : path.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            target += '%';
            target += Hex[byte >> 4];
            target += Hex[byte & 0xF];
        } else {
            target += c;
        }
    }
    return target;
}

struct Transfer {
    CURL* curl = nullptr;
    const std::atomic<bool>* stop = nullptr;
    QFile file;
    bool fileFailed = false;
    bool redirectsFollowed = true;
    QStringList headers; // of the latest reply: a new status line starts them afresh

    bool Stopped() const { return stop && stop->load(); }

    long Status() const {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        return status;
    }

    bool OpenFile() {
        if (file.isOpen())
            return true;
        if (fileFailed)
            return false;
        fileFailed = !file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        return !fileFailed;
    }
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t total = size * count;
    // Bodies of replies that are not a final 200 are never stored; end the transfer at once. A redirect
    // that is not followed is read to its end (its body is dropped), since libcurl names its target
    // only after a complete transfer.
    const long status = transfer.Status();
    if (!transfer.redirectsFollowed && status >= 300 && status < 400)
        return transfer.Stopped() ? 0 : total;
    if (status != 200 || !transfer.OpenFile())
        return 0;
    for (size_t offset = 0; offset < total; offset += DownloadChunkBytes) {
        const auto piece = static_cast<qint64>(std::min<size_t>(DownloadChunkBytes, total - offset));
        if (transfer.file.write(data + offset, piece) != piece)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(DownloadChunkPauseMs));
        if (transfer.Stopped())
            return 0;
    }
    return total;
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t total = size * count;
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(total)).trimmed();
    if (line.startsWith("HTTP/"))
        transfer.headers.clear();
    else if (!line.isEmpty())
        transfer.headers.append(QString::fromLatin1(line));
    return total;
}

int WatchStop(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->Stopped() ? 1 : 0;
}

// curl_easy_perform, but looking at the stop flag every few milliseconds: while a server keeps
// silent, libcurl calls the progress function only about once a second, and a closing window must
// not wait that long.
void PerformUnlessStopped(Transfer& transfer) {
    CURLM* multi = curl_multi_init();
    if (!multi || curl_multi_add_handle(multi, transfer.curl) != CURLM_OK) {
        if (multi)
            curl_multi_cleanup(multi);
        curl_easy_perform(transfer.curl);
        return;
    }
    int running = 1;
    while (running && !transfer.Stopped()) {
        if (curl_multi_perform(multi, &running) != CURLM_OK || !running)
            break;
        curl_multi_poll(multi, nullptr, 0, StopCheckMs, nullptr);
    }
    curl_multi_remove_handle(multi, transfer.curl);
    curl_multi_cleanup(multi);
}

} // namespace

void YDown::Download(QString url, QString body, QString outputPath, QString headers) {
    Url = std::move(url);
    Body = std::move(body);
    OutputPath = std::move(outputPath);
    Headers = std::move(headers);

    RedirectUrl.clear();
    StatusCode = 0;
    ReplyHeaders.clear();
    QString scheme;
    QString host;
    QString path;
    if (!SplitHttpAddress(Url, scheme, host, path))
        return;
    if (stop_ && stop_->load())
        return;

    InitCurlOnce();
    Transfer transfer;
    transfer.curl = curl_easy_init();
    if (!transfer.curl)
        return;
    transfer.stop = stop_;
    transfer.redirectsFollowed = FollowRedirects;
    transfer.file.setFileName(OutputPath);
    CURL* curl = transfer.curl;

    const QByteArray address = scheme.toLatin1() + host.toUtf8() + RequestTarget(path);
    const QByteArray headerLine = Headers.toUtf8();
    const QByteArray postBody = Body.toUtf8();
    curl_slist* headerList = nullptr;
    if (!headerLine.isEmpty())
        headerList = curl_slist_append(headerList, headerLine.constData());

    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, DownloadUserAgent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, FollowRedirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Certificates are always checked. The store is the system's, or the one the standard variables of
    // the TLS library name (SSL_CERT_FILE, SSL_CERT_DIR), which libcurl itself does not read.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    const QByteArray caFile = qgetenv("SSL_CERT_FILE");
    const QByteArray caFolder = qgetenv("SSL_CERT_DIR");
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    if (!caFolder.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAPATH, caFolder.constData());
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, long(DownloadChunkBytes));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(TimeLimitMs));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    const QByteArray referer = Referer.toUtf8();
    if (!referer.isEmpty())
        curl_easy_setopt(curl, CURLOPT_REFERER, referer.constData());
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, WatchStop);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    if (!postBody.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(postBody.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody.constData());
    }

    PerformUnlessStopped(transfer);
    // A final 200 with an empty body never reaches the write callback, and one that broke off
    // before its first byte still created the file: the reply was accepted when its status came.
    if (transfer.Status() == 200 && !transfer.Stopped())
        transfer.OpenFile();
    const long status = transfer.Status();
    StatusCode = static_cast<int>(status);
    ReplyHeaders = transfer.headers;
    const char* location = nullptr;
    if (!FollowRedirects && status >= 300 && status < 400 &&
        curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
        RedirectUrl = QString::fromUtf8(location);
    transfer.file.close();
    curl_easy_cleanup(curl);
    curl_slist_free_all(headerList);
}
