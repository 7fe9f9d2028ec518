#include "jpeg_file.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>
#include <stdexcept>

namespace artwork {
namespace {

int segmentLength(const QByteArray& jpeg, qsizetype at) {
    return (quint8(jpeg[at + 2]) << 8) | quint8(jpeg[at + 3]);
}

// The marker of the frame header (SOFn) found before the first scan.
int frameMarker(const QByteArray& jpeg) {
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && quint8(jpeg[at]) == 0xFF) {
        const int marker = quint8(jpeg[at + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return marker;
        if (marker == 0xDA)
            break;
        at += 2 + segmentLength(jpeg, at);
    }
    return 0;
}

QByteArray padded(QByteArray jpeg, qsizetype size) {
    qsizetype gap = size - jpeg.size();
    if (gap == 0)
        return jpeg;
    // A COM segment is 4 bytes of marker and length plus at most 65533 bytes of text.
    const qsizetype segments = (gap + 65536) / 65537;
    if (gap < 4 * segments)
        throw std::runtime_error("JPEG padding gap too small");
    qsizetype insertAt = 2;
    if (quint8(jpeg[2]) == 0xFF && quint8(jpeg[3]) == 0xE0)
        insertAt += 2 + segmentLength(jpeg, 2);
    QByteArray comments;
    for (qsizetype i = 0; i < segments; ++i) {
        const qsizetype total = gap / (segments - i);
        gap -= total;
        const qsizetype length = total - 2;
        comments.append(char(0xFF)).append(char(0xFE)).append(char(length >> 8)).append(char(length & 0xFF));
        comments.append(QByteArray(total - 4, ' '));
    }
    jpeg.insert(insertAt, comments);
    return jpeg;
}

} // namespace

QByteArray progressiveJpeg(const QImage& image, int quality) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(true);
    writer.setOptimizedWrite(true);
    // RGB32 makes the writer store three YCbCr components; no colour space, so no ICC segment.
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    rgb.setColorSpace(QColorSpace());
    if (!writer.write(rgb))
        throw std::runtime_error(writer.errorString().toStdString());
    if (frameMarker(data) != 0xC2)
        throw std::runtime_error("JPEG writer did not write a progressive frame");
    return data;
}

QByteArray progressiveJpegOfSize(const QImage& image, qsizetype size) {
    for (int quality = 100; quality >= 1; --quality) {
        QByteArray jpeg = progressiveJpeg(image, quality);
        if (jpeg.size() == size || jpeg.size() + 4 <= size)
            return padded(jpeg, size);
    }
    throw std::runtime_error("JPEG does not fit the size at any quality");
}

} // namespace artwork
