#pragma once
// Opening a picked file for a look at its first bytes, safely: only a plain file on a real file system,
// opened without blocking, and read a bounded amount. A device, a pipe or a kernel file could block the
// reader for ever or never end.

#include <QByteArray>
#include <QString>

// Which file a name stood for when it was looked at: another file moved or written in under the same
// name is another one. (A file still open keeps its number: a new one cannot take it meanwhile.)
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct LocalFile {
    QString error;   // why it cannot be read, as the status text words it; empty if it was read
    QByteArray head; // its first bytes, at most the number asked for
    qint64 size = 0;
    FileIdentity identity;
};

// Reads at most `maxBytes` from the start of `path` (file system bytes, see fs_names); with 0, only
// looks at what it is and its size, without opening it.
LocalFile readLocalFile(const QByteArray& path, qint64 maxBytes);

// A size as the status text words it: "4.0 MiB".
QString sizeText(qint64 bytes);
