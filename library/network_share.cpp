#include "library/network_share.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Long enough for a slow server; short enough that a hung mount does not stall the scan for good.
constexpr int GioMountTimeoutMs = 60000;
constexpr int GioMountStepMs = 100;

QString JoinRest(const QString& base, const ShareAddress& share) {
    if (base.isEmpty() || share.Rest.isEmpty())
        return base;
    return base.endsWith(u'/') ? QString(base + share.Rest) : QString(base + u'/' + share.Rest);
}

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// /proc/self/mounts writes blanks, tabs, line feeds and backslashes as a backslash and three octal
// digits.
QByteArray UnescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) && IsOctalDigit(field[i + 2]) &&
            IsOctalDigit(field[i + 3])) {
            out.append(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return out;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString GvfsRoot() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString base = runtime.isEmpty() ? u"/run/user/"_s + QString::number(getuid()) : QFile::decodeName(runtime);
    return base + u"/gvfs"_s;
}

} // namespace

bool IsNetworkLine(const QString& line) {
    return line.startsWith(u"//"_s) || line.startsWith(u"\\\\"_s);
}

std::optional<ShareAddress> ParseShareAddress(const QString& line) {
    if (!IsNetworkLine(line))
        return std::nullopt;
    QString path = line.mid(2);
    path.replace(u'\\', u'/');
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return std::nullopt;
    return ShareAddress{parts[0], parts[1], parts.mid(2).join(u'/')};
}

QString ShareUri(const ShareAddress& share) {
    return u"smb://"_s + QString::fromLatin1(QUrl::toPercentEncoding(share.Server)) + u'/' +
           QString::fromLatin1(QUrl::toPercentEncoding(share.Share));
}

QString MountPointFromMounts(const QByteArray& mounts, const ShareAddress& share) {
    const QString wanted = u"//"_s + share.Server + u'/' + share.Share;
    for (const QByteArray& line : mounts.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3 || (fields[2] != "cifs" && fields[2] != "smb3"))
            continue;
        QString source = QString::fromUtf8(UnescapeMountField(fields[0]));
        source.replace(u'\\', u'/');
        while (source.size() > 2 && source.endsWith(u'/'))
            source.chop(1);
        if (SameName(source, wanted))
            return QFile::decodeName(UnescapeMountField(fields[1]));
    }
    return {};
}

QString GvfsSharePath(const QString& gvfsRoot, const ShareAddress& share) {
    const QStringList entries = QDir(gvfsRoot).entryList({u"smb-share:*"_s}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        QString server, shareName;
        for (const QString& pair : entry.mid(entry.indexOf(u':') + 1).split(u',')) {
            const qsizetype equals = pair.indexOf(u'=');
            const QString key = pair.left(equals);
            const QString value = QString::fromUtf8(QByteArray::fromPercentEncoding(pair.mid(equals + 1).toUtf8()));
            if (key == u"server")
                server = value;
            else if (key == u"share")
                shareName = value;
        }
        if (SameName(server, share.Server) && SameName(shareName, share.Share))
            return gvfsRoot + u'/' + entry;
    }
    return {};
}

QString LocalSharePath(const ShareAddress& share) {
    QFile mounts(u"/proc/self/mounts"_s);
    QString base;
    if (mounts.open(QIODevice::ReadOnly))
        base = MountPointFromMounts(mounts.readAll(), share);
    if (base.isEmpty())
        base = GvfsSharePath(GvfsRoot(), share);
    return JoinRest(base, share);
}

void ConnectShare(const ShareAddress& share, const QString& user, const QString& password,
                  const std::atomic<bool>* stop) {
    QString name = user;
    QString domain;
    if (const qsizetype backslash = user.indexOf(u'\\'); backslash > 0) {
        domain = user.left(backslash);
        name = user.mid(backslash + 1);
    }
    QProcess gio;
    gio.setStandardOutputFile(QProcess::nullDevice());
    gio.setStandardErrorFile(QProcess::nullDevice());
    gio.start(u"gio"_s, {u"mount"_s, ShareUri(share)});
    if (!gio.waitForStarted())
        return;
    // gio asks for user, domain and password in this order; an empty answer takes its default.
    // After these three lines its input ends, so a rejected password ends the mount instead of
    // asking again.
    gio.write((name + u'\n' + domain + u'\n' + password + u'\n').toUtf8());
    gio.closeWriteChannel();
    // In short steps, so that a close during a slow mount does not wait for it.
    for (int waited = 0; gio.state() != QProcess::NotRunning && waited < GioMountTimeoutMs && !(stop && *stop);
         waited += GioMountStepMs)
        gio.waitForFinished(GioMountStepMs);
    if (gio.state() != QProcess::NotRunning) {
        gio.kill();
        gio.waitForFinished();
    }
}
