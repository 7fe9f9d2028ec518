#include "bitmap_file.h"

#include <QDataStream>
#include <QIODevice>

namespace artwork {

QByteArray bitmapFile32(const QImage& image, int trailingBytes) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const quint32 pixelBytes = quint32(rgb.width() * rgb.height() * 4);
    const quint32 headerBytes = 14 + 40;
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(headerBytes + pixelBytes + quint32(trailingBytes))
        << quint16(0) << quint16(0) << headerBytes;
    // 3780 pixels a metre is 96 dots an inch.
    out << quint32(40) << qint32(rgb.width()) << qint32(rgb.height()) << quint16(1) << quint16(32)
        << quint32(0) << pixelBytes << qint32(3780) << qint32(3780) << quint32(0) << quint32(0);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            out << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x])) << quint8(0);
    }
    file.append(QByteArray(trailingBytes, '\0'));
    return file;
}

} // namespace artwork
