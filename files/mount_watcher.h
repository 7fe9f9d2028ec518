#pragma once
// Tells when the mount table changes. The kernel flags /proc/self/mountinfo as "exceptional" (POLLPRI)
// on every mount and unmount, so no polling is needed; a table kept in an ordinary file (as tests use)
// is watched with QFileSystemWatcher instead.

#include <QObject>

class QFileSystemWatcher;
class QSocketNotifier;

class MountWatcher : public QObject {
    Q_OBJECT
  public:
    explicit MountWatcher(const QString& mountInfoPath, QObject* parent = nullptr);
    ~MountWatcher() override;

  signals:
    void changed();

  private:
    void watchFile();

    QString path_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
};
