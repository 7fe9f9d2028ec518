#pragma once
// Reads one folder's entries straight from getdents64, which is what keeps a list of a million files quick:
// the entry type the kernel reports is trusted, and only links and entries of unknown type are stat'ed.

#include "files/natural_order.h"
#include <QString>

enum class EntryKind {
    Folder, // directories, and links to them
    File,   // regular files, and links to them; FIFOs, sockets and devices never count
};

// The names (fsDecodeName form) of the entries of that kind, in natural order. Names beginning with '.' are
// hidden and left out. Throws RuntimeError: 76 missing or not a folder, 70 not readable, 68 the device
// behind it is gone, 75 any other failure.
SortedNames readFolder(const QString& path, EntryKind kind);

// A folder this big (its own size: some 30 000 names on ext4) is read on one thread while a second takes
// its names, where a smaller one would not repay the thread.
constexpr long kTwoThreadFolderBytes = 1 << 20;

// The run-time error number for an errno from opening or reading a folder.
int runtimeErrorForErrno(int error);

// The real absolute folder (links resolved) of a path; throws like readFolder.
QString resolveFolder(const QString& path);
