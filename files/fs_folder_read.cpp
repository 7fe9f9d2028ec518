#include "files/fs_folder_read.h"
#include "files/fs_call.h"
#include "files/fs_names.h"
#include "files/natural_order.h"
#include "files/runtime_error.h"
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

int runtimeErrorForErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return rterr::PathNotFound;
    case EACCES:
    case EPERM:
        return rterr::PermissionDenied;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOTCONN: // a FUSE or network mount whose server went away
    case ETIMEDOUT:
        return rterr::DeviceUnavailable;
    default:
        return rterr::PathFileAccessError;
    }
}

QString resolveFolder(const QString& path) {
    const QByteArray encoded = fsEncodeName(path);
    char resolved[PATH_MAX];
    if (!::realpath(encoded.constData(), resolved))
        throw RuntimeError(runtimeErrorForErrno(errno));
    struct stat info;
    if (::stat(resolved, &info) != 0)
        throw RuntimeError(runtimeErrorForErrno(errno));
    if (!S_ISDIR(info.st_mode))
        throw RuntimeError(rterr::PathNotFound);
    return fsDecodeName(QByteArray(resolved));
}

namespace {

struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

// As much as readdir's own buffer, some 800 entries a call: 128 KiB saved nothing measurable on a million
// files, and stayed in the heap after every small folder (5 bytes more per entry at 10 000 files).
constexpr size_t entryBufferSize = 32 * 1024;

// A folder this big (some 200 000 names on ext4, 60 ms and more to read and sort) is not waited for on the
// UI thread at all: the list says what it waits for at once and stays free to answer.
constexpr off_t kLongFolderBytes = 8 << 20;

bool wanted(int dirfd, const char* name, unsigned char type, EntryKind kind) {
    if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat info; // follows links: a dangling one fails and is left out
        if (::fstatat(dirfd, name, &info, 0) != 0)
            return false;
        return kind == EntryKind::Folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode);
    }
    return type == (kind == EntryKind::Folder ? DT_DIR : DT_REG);
}

} // namespace

// getdents64 straight into one buffer: readdir would hand the same entries over one locked call each.
SortedNames readFolder(const QString& path, EntryKind kind) {
    const int fd = ::open(fsEncodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError(runtimeErrorForErrno(errno));
    const FdCloser closer{fd};
    NaturalSorter sorter;
    struct stat folder;
    if (::fstat(fd, &folder) == 0 && folder.st_size > 0) { // the folder's own size bounds its names' bytes
        sorter.reserve(size_t(std::min<off_t>(folder.st_size, 64 << 20)) / 16,
                       size_t(std::min<off_t>(folder.st_size, 64 << 20)));
        if (folder.st_size >= kLongFolderBytes)
            fsCallTakesLong();
    }
    const std::unique_ptr<char[]> buffer(new char[entryBufferSize]);
    for (;;) {
        const ssize_t filled = ::getdents64(fd, buffer.get(), entryBufferSize);
        if (filled < 0)
            throw RuntimeError(runtimeErrorForErrno(errno));
        if (filled == 0)
            break;
        for (ssize_t at = 0; at < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.get() + at);
            at += entry->d_reclen;
            if (entry->d_name[0] == '.') // hidden, and "." and ".."
                continue;
            if (wanted(fd, entry->d_name, entry->d_type, kind))
                sorter.add(entry->d_name, strlen(entry->d_name));
        }
    }
    return sorter.sorted();
}
