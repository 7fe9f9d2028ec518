#include "app/cursor_file.h"
#include <QFile>
#include <QPixmap>
#include <QtEndian>

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(22);
    if (bytes.size() < 22)
        return {};
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    return QCursor(QPixmap(path), qFromLittleEndian<quint16>(data + 10),
                   qFromLittleEndian<quint16>(data + 12));
}
