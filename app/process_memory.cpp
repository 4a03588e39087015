#include "app/process_memory.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// The parent of a process: the field after the parenthesised command name of /proc/PID/stat.
int64_t ParentOf(const QString& pid) {
    QFile stat(u"/proc/"_s + pid + u"/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : -1;
}

int64_t FieldKb(const QString& file, const QByteArray& name) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

} // namespace

ProcessMemory ProcessTreeMemory(int64_t rootPid) {
    QMap<int64_t, QList<int64_t>> children;
    for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const int64_t pid = entry.toLongLong(&isPid);
        if (isPid)
            children[ParentOf(entry)].append(pid);
    }
    ProcessMemory total;
    QList<int64_t> pending{rootPid};
    QSet<int64_t> seen;
    while (!pending.isEmpty()) {
        const int64_t pid = pending.takeLast();
        if (seen.contains(pid))
            continue;
        seen.insert(pid);
        const QString base = u"/proc/"_s + QString::number(pid);
        total.processes += 1;
        total.rssKb += FieldKb(base + u"/status"_s, "VmRSS:");
        total.pssKb += FieldKb(base + u"/smaps_rollup"_s, "Pss:");
        pending += children.value(pid);
    }
    return total;
}
