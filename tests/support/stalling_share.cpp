#include "support/stalling_share.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

namespace {

// The device ("major:minor") mounted at that point, from the mount table, so that nothing touches the share
// itself (its answers may never come); empty if nothing is mounted there.
QByteArray deviceAt(const QString& mountPoint) {
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // the table writes a space as \040 (the program's name, and so its temporary folders, have spaces)
        if (fields.size() > 4 && fields[4] == mountPoint.toLocal8Bit().replace(" ", "\\040"))
            return fields[2];
    }
    return {};
}

} // namespace

StallingShare::StallingShare(const QString& source, const QString& mode) {
    if (!QFile::exists(QStringLiteral("/dev/fuse"))) {
        error_ = QStringLiteral("/dev/fuse is missing");
        return;
    }
    // The connections' control files, through which a stuck share is aborted, live in their own file system.
    if (deviceAt(QStringLiteral("/sys/fs/fuse/connections")).isEmpty())
        QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("fusectl"), QStringLiteral("none"),
                           QStringLiteral("/sys/fs/fuse/connections")});
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(TOLVANE_TEST_SUPPORT_DIR "/stalling_share.py"), source, path(), mode});
    const QDeadlineTimer deadline(5000);
    while (connection_.isEmpty() && !deadline.hasExpired() && server_.state() != QProcess::NotRunning) {
        QThread::msleep(20);
        // A FUSE mount's minor number names its connection.
        if (const QByteArray device = deviceAt(path()); !device.isEmpty())
            connection_ =
                QStringLiteral("/sys/fs/fuse/connections/") + QString::fromLatin1(device.split(':').value(1));
    }
    if (connection_.isEmpty()) {
        error_ = QStringLiteral("the FUSE server did not mount (needs root, fuse3 and python3-fusepy)");
        server_.kill(); // before it mounts after all: a mount without its server would stay behind
        server_.waitForFinished(2000);
        if (!deviceAt(path()).isEmpty())
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), path()});
    }
}

StallingShare::~StallingShare() {
    abort();
}

void StallingShare::abort() {
    if (!connection_.isEmpty()) {
        QFile control(connection_ + QStringLiteral("/abort"));
        if (control.open(QIODevice::WriteOnly))
            control.write("1");
        connection_.clear();
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), path()});
    }
    if (server_.state() != QProcess::NotRunning) {
        server_.kill();
        server_.waitForFinished(2000);
    }
}
