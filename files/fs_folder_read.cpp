#include "files/fs_folder_read.h"
#include "files/entry_batches.h"
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
#include <exception>
#include <fcntl.h>
#include <memory>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

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
constexpr size_t entryBufferSize = size_t{32} << 10;

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

// The wanted names of one buffer that getdents64 filled.
void addBatch(int fd, const char* buffer, size_t filled, EntryKind kind, NaturalSorter& sorter) {
    for (size_t at = 0; at < filled;) {
        const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
        at += entry->d_reclen;
        if (entry->d_name[0] == '.') // hidden, and "." and ".."
            continue;
        if (wanted(fd, entry->d_name, entry->d_type, kind))
            sorter.add(entry->d_name, strlen(entry->d_name));
    }
}

// getdents64 straight into one buffer: readdir would hand the same entries over one locked call each.
size_t readBatch(int fd, char* buffer, size_t size) {
    const ssize_t filled = ::getdents64(fd, buffer, size);
    if (filled < 0)
        throw RuntimeError(runtimeErrorForErrno(errno));
    return size_t(filled);
}

void readInTurn(int fd, EntryKind kind, NaturalSorter& sorter) {
    const std::unique_ptr<char[]> buffer(new char[entryBufferSize]);
    while (const size_t filled = readBatch(fd, buffer.get(), entryBufferSize))
        addBatch(fd, buffer.get(), filled, kind, sorter);
}

// A big folder: this thread reads while a second one takes the names, the kernel's walk and the keys on a
// core each. The second thread lives within the call: it is joined before the call returns or throws.
void readBeside(int fd, EntryKind kind, NaturalSorter& sorter) {
    EntryBatches batches;
    std::exception_ptr sortFailed;
    std::thread sorting([&] {
        pthread_setname_np(pthread_self(), "tolvane-fs-sort");
        EntryBatches::Batch batch;
        try {
            while ((batch = batches.next()).data) {
                addBatch(fd, batch.data, batch.bytes, kind, sorter);
                batches.done(std::exchange(batch.data, nullptr));
            }
        } catch (...) { // out of memory: the reader must not wait for buffers never given back
            sortFailed = std::current_exception();
            if (batch.data)
                batches.done(batch.data);
            while ((batch = batches.next()).data)
                batches.done(batch.data);
        }
    });
    {
        const struct Join { // also when a read throws
            EntryBatches& batches;
            std::thread& sorting;
            ~Join() {
                batches.finish();
                sorting.join();
            }
        } join{batches, sorting};
        for (;;) {
            char* buffer = batches.emptyBuffer();
            const size_t filled = readBatch(fd, buffer, EntryBatches::kBufferSize);
            if (filled == 0) {
                batches.done(buffer);
                break;
            }
            batches.filled(buffer, filled);
        }
    }
    if (sortFailed)
        std::rethrow_exception(sortFailed);
}

} // namespace

SortedNames readFolder(const QString& path, EntryKind kind) {
    const int fd = ::open(fsEncodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError(runtimeErrorForErrno(errno));
    const FdCloser closer{fd};
    NaturalSorter sorter;
    struct stat folder {};
    if (::fstat(fd, &folder) == 0 && folder.st_size > 0) { // the folder's own size bounds its names' bytes
        sorter.reserve(size_t(std::min<off_t>(folder.st_size, 64 << 20)) / 16,
                       size_t(std::min<off_t>(folder.st_size, 64 << 20)));
        if (folder.st_size >= kLongFolderBytes)
            fsCallTakesLong();
    }
    if (folder.st_size >= kTwoThreadFolderBytes)
        readBeside(fd, kind, sorter);
    else
        readInTurn(fd, kind, sorter);
    return sorter.sorted();
}
