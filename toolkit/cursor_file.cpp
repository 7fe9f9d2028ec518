#include "toolkit/cursor_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

namespace {

int littleEndian16(const QByteArray& bytes, int at) {
    return quint8(bytes[at]) | (quint8(bytes[at + 1]) << 8);
}

} // namespace

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCursor(Qt::ArrowCursor);
    QByteArray bytes = file.readAll();
    // Directory: reserved 0, type 2 (cursor), image count; then 16-byte entries whose bytes 4 to 7,
    // planes and bit count in an icon, hold the hot spot's x and y in a cursor.
    constexpr int Directory = 6, Entry = 16;
    if (bytes.size() < Directory + Entry || littleEndian16(bytes, 0) != 0 || littleEndian16(bytes, 2) != 2 ||
        littleEndian16(bytes, 4) < 1)
        return QCursor(Qt::ArrowCursor);
    const int hotX = littleEndian16(bytes, Directory + 4);
    const int hotY = littleEndian16(bytes, Directory + 6);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "cur");
    const QImage image = reader.read();
    if (image.isNull())
        return QCursor(Qt::ArrowCursor);
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}
