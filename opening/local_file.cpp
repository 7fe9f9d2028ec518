#include "opening/local_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// File systems whose files are made up by the kernel: a read may block for ever (/proc/kmsg), never end,
// or change the machine.
bool isPseudoFileSystem(long type) {
    static const long pseudo[] = {PROC_SUPER_MAGIC,
                                  SYSFS_MAGIC,
                                  DEBUGFS_MAGIC,
                                  TRACEFS_MAGIC,
                                  SECURITYFS_MAGIC,
                                  CGROUP_SUPER_MAGIC,
                                  CGROUP2_SUPER_MAGIC,
                                  BPF_FS_MAGIC,
                                  PSTOREFS_MAGIC,
                                  EFIVARFS_MAGIC,
                                  DEVPTS_SUPER_MAGIC,
                                  SELINUX_MAGIC,
                                  0x62656570 /* configfs */,
                                  0x65735543 /* fusectl */,
                                  0x42494e4d /* binfmt_misc */};
    for (const long magic : pseudo)
        if (type == magic)
            return true;
    return false;
}

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString kindProblem(const struct stat& info) {
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is not a plain file (a device, pipe or socket)");
    return {};
}

} // namespace

LocalFile readLocalFile(const QByteArray& path, qint64 maxBytes) {
    LocalFile file;
    // Looked at before it is opened: opening a pipe or a device can itself block or have effects.
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        file.error = errorText(errno);
        return file;
    }
    struct statfs where {};
    if (file.error = kindProblem(info); !file.error.isEmpty())
        return file;
    if (::statfs(path.constData(), &where) == 0 && isPseudoFileSystem(where.f_type)) {
        file.error = QStringLiteral("it is a system file, not media");
        return file;
    }
    file.size = info.st_size;
    file.identity = {quint64(info.st_dev), quint64(info.st_ino)};
    if (maxBytes <= 0)
        return file; // looked at, not opened
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file.error = errorText(errno);
        return file;
    }
    // The same checks on what was opened, in case the name was switched in between.
    if (::fstat(fd, &info) != 0 || ::fstatfs(fd, &where) != 0) {
        file.error = errorText(errno);
    } else if (file.error = kindProblem(info); file.error.isEmpty() && isPseudoFileSystem(where.f_type)) {
        file.error = QStringLiteral("it is a system file, not media");
    }
    if (file.error.isEmpty()) {
        file.identity = {quint64(info.st_dev), quint64(info.st_ino)}; // what was opened
        file.head.resize(qsizetype(std::min<qint64>(maxBytes, info.st_size)));
        qsizetype got = 0;
        while (got < file.head.size()) {
            const ssize_t n = ::read(fd, file.head.data() + got, size_t(file.head.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n < 0)
                    file.error = errorText(errno);
                break;
            }
            got += n;
        }
        file.head.truncate(got);
    }
    ::close(fd);
    return file;
}

QString sizeText(qint64 bytes) {
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MiB");
}
