#include "toolkit/fs_folder_read.h"
#include "toolkit/fs_names.h"
#include "toolkit/natural_order.h"
#include "toolkit/runtime_error.h"
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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

struct DirCloser {
    DIR* dir;
    ~DirCloser() { ::closedir(dir); }
};

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

SortedNames readFolder(const QString& path, EntryKind kind) {
    DIR* dir = ::opendir(fsEncodeName(path).constData());
    if (!dir)
        throw RuntimeError(runtimeErrorForErrno(errno));
    DirCloser closer{dir};
    const int fd = ::dirfd(dir);
    NaturalSorter sorter;
    struct stat folder;
    if (::fstat(fd, &folder) == 0 && folder.st_size > 0) // the folder's own size bounds its names' bytes
        sorter.reserve(size_t(std::min<off_t>(folder.st_size, 64 << 20)) / 16,
                       size_t(std::min<off_t>(folder.st_size, 64 << 20)));
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                throw RuntimeError(runtimeErrorForErrno(errno));
            break;
        }
        if (entry->d_name[0] == '.') // hidden, and "." and ".."
            continue;
        if (wanted(fd, entry->d_name, entry->d_type, kind))
            sorter.add(entry->d_name, strlen(entry->d_name));
    }
    return sorter.sorted();
}
