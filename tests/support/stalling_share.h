#pragma once
// A FUSE share that stops answering (stalling_share.py): it mirrors a real folder, and its mode says which
// calls never return. The connection is aborted and the mount lazily removed when the object goes, also when
// a test fails, so no caller stays stuck after the test.

#include <QDir>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class StallingShare {
  public:
    // mode: "read", "list", "statfs", "dies:SECONDS", "late:SECONDS" or "opens:SECONDS" (stalling_share.py);
    // source: the folder to mirror.
    StallingShare(const QString& source, const QString& mode);
    ~StallingShare();
    StallingShare(const StallingShare&) = delete;
    StallingShare& operator=(const StallingShare&) = delete;

    // Empty when mounted; else why not (no /dev/fuse, no fusepy, not root).
    QString error() const { return error_; }
    QString path() const { return mountPoint_.path(); }
    // Frees every caller still waiting on the share (they get an error), then removes the mount.
    void abort();
    // Writing "1" to this file frees every waiting caller too, and may be done from any thread.
    QString abortSwitch() const { return connection_ + QStringLiteral("/abort"); }

  private:
    // Named without spaces: the mount table writes a space as \040, and the mount is found by its name there.
    QTemporaryDir mountPoint_{QDir::tempPath() + QStringLiteral("/stalling-share-XXXXXX")};
    QProcess server_;
    QString connection_; // /sys/fs/fuse/connections/N
    QString error_;
};

// Skips the test with `share`'s reason, or fails it under CI (where FUSE must work).
#define REQUIRE_SHARE(share)                                                                                 \
    do {                                                                                                     \
        if (!(share).error().isEmpty()) {                                                                    \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                                         \
                QFAIL(qPrintable(QStringLiteral("FUSE share not mounted: ") + (share).error()));             \
            QSKIP(qPrintable(QStringLiteral("FUSE share not mounted: ") + (share).error()));                 \
        }                                                                                                    \
    } while (false)
