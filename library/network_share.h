#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <optional>

// A folder-list line that names an SMB share: "//nas/video/films" or "\\nas\video\films".
struct ShareAddress {
    QString Server;
    QString Share;
    QString Rest; // the folder inside the share, "/"-separated, no leading or trailing "/"; may be empty
};

// True when the line starts with two slashes or two backslashes.
bool IsNetworkLine(const QString& line);

// Server, share and inner folder of a network line; nullopt when it names no share.
std::optional<ShareAddress> ParseShareAddress(const QString& line);

// "smb://server/share" with server and share percent-encoded.
QString ShareUri(const ShareAddress& share);

// The mount point of the share (a cifs or smb3 mount) in the text of /proc/self/mounts; empty when
// it is not mounted there.
QString MountPointFromMounts(const QByteArray& mounts, const ShareAddress& share);

// The GVfs folder of the share below `gvfsRoot` ("smb-share:server=…,share=…"); empty when none.
QString GvfsSharePath(const QString& gvfsRoot, const ShareAddress& share);

// The local folder for the line's share and inner folder, looked up in /proc/self/mounts and then
// in the user's GVfs folder; empty when the share is not mounted.
QString LocalSharePath(const ShareAddress& share);

// Mounts the share with `gio mount`, answering its prompts for user, domain and password on its
// standard input, so that the password never shows in a process listing. A user name of the form
// "DOMAIN\user" gives the domain. The outcome is not reported: a failed mount shows only as a share
// without a local folder. A slow mount is given up when `stop` is set (the window is closing).
void ConnectShare(const ShareAddress& share, const QString& user, const QString& password,
                  const std::atomic<bool>* stop = nullptr);
