#pragma once

#include <QString>
#include <QStringList>
#include <atomic>

inline constexpr int DownloadTimeLimitMs = 480000;
// The body is taken in small pieces with a pause after each, which keeps a lookup from flooding
// the sites it reads.
inline constexpr int DownloadChunkBytes = 4095;
inline constexpr int DownloadChunkPauseMs = 10;
inline constexpr char DownloadUserAgent[] = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)";
// The extra header line of page requests (searches, information pages, the update check).
inline constexpr char16_t PageRequestHeader[] = u"Content-Type: application/x-www-form-urlencoded";

// Fetches one "http://" or "https://" address into one file, blocking the caller. It reports nothing: callers judge
// the outcome by the output file, which is written only when the final reply (after redirects) has
// status 200 and may hold a partial body when the transfer broke off while reading.
class YDown {
public:
    // When `stop` is given, a transfer ends soon after it is set (and none starts while it is set).
    explicit YDown(const std::atomic<bool>* stop = nullptr) : stop_(stop) {}

    // `body` empty makes a GET (every caller); otherwise a POST of its UTF-8 bytes. `headers` is one
    // extra header line without line end. Relative output paths are in the working folder.
    void Download(QString url, QString body, QString outputPath, QString headers);

    QString Url;
    QString Body;
    QString OutputPath;
    QString Headers;
    int TimeLimitMs = DownloadTimeLimitMs; // the whole call returns within it
    // Off: a redirect reply is not followed; its absolute target is left in RedirectUrl (no file is
    // written, as for any status but 200). Used to read where an engine's click-through address leads.
    bool FollowRedirects = true;
    QString RedirectUrl;
    // Sent as the Referer header when not empty: some picture hosts refuse requests without one.
    QString Referer;
    // What the final reply said: its status (0 when none came) and its header lines ("Name: value").
    // A site that refuses tells it here, not in a file.
    int StatusCode = 0;
    QStringList ReplyHeaders;

private:
    const std::atomic<bool>* stop_;
};
