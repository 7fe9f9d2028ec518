#include "files/mount_watcher.h"
#include "files/fs_names.h"
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

MountWatcher::MountWatcher(const QString& mountInfoPath, QObject* parent)
    : QObject(parent), path_(mountInfoPath) {
    if (path_.startsWith(QLatin1String("/proc/"))) {
        fd_ = ::open(fsEncodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
        if (fd_ >= 0) {
            notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
            connect(notifier_, &QSocketNotifier::activated, this, &MountWatcher::changed);
            return;
        }
    }
    watcher_ = new QFileSystemWatcher(this);
    // The folder too: a table replaced by rename is a new file the old watch does not see.
    watcher_->addPath(QFileInfo(path_).absolutePath());
    watchFile();
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        watchFile();
        emit changed();
    });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!watcher_->files().contains(path_) && QFileInfo::exists(path_)) {
            watchFile();
            emit changed();
        }
    });
}

MountWatcher::~MountWatcher() {
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

void MountWatcher::watchFile() {
    if (!watcher_->files().contains(path_) && QFileInfo::exists(path_))
        watcher_->addPath(path_);
}
