#include "support/process_probe.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <ctime>

namespace probe {

int openDescriptors() {
    return int(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

int threads() {
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

double cpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return double(used.tv_sec) + double(used.tv_nsec) / 1e9;
}

QStringList boundSockets() {
    QSet<QString> ours; // socket inodes of our descriptors
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (target.contains(QLatin1String("socket:[")))
            ours << target.section(QLatin1Char('['), 1).chopped(1);
    }
    QStringList bound;
    for (const char* table : {"tcp", "tcp6", "udp", "udp6"}) {
        QFile file(QStringLiteral("/proc/self/net/") + QLatin1String(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const bool tcp = QByteArray(table).startsWith("tcp");
        for (const QByteArray& line : file.readAll().split('\n').mid(1)) {
            const QList<QByteArray> f = line.simplified().split(' ');
            // local address, remote, state, ..., inode at field 9; TCP state 0A is LISTEN
            if (f.size() > 9 && ours.contains(QString::fromLatin1(f[9])) && (!tcp || f[3] == "0A"))
                bound << QStringLiteral("%1 %2").arg(QLatin1String(table), QString::fromLatin1(f[1]));
        }
    }
    return bound;
}

} // namespace probe
