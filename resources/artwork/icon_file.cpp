#include "icon_file.h"

#include <QDataStream>
#include <QIODevice>

namespace artwork {
namespace {

int rowBytes(int width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// BITMAPINFOHEADER, palette, colour rows and mask rows of one image; rows run bottom-up.
QByteArray imageData(const IndexedImage& image) {
    const int colourRow = rowBytes(image.width, 4);
    const int maskRow = rowBytes(image.width, 1);
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(40) << qint32(image.width) << qint32(image.height * 2) << quint16(1) << quint16(4)
        << quint32(0) << quint32((colourRow + maskRow) * image.height) << qint32(0) << qint32(0) << quint32(0)
        << quint32(0);
    for (QRgb c : windowsPalette())
        out << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    for (int y = image.height - 1; y >= 0; --y) {
        QByteArray row(colourRow, '\0');
        for (int x = 0; x < image.width; ++x) {
            // Transparent pixels keep colour 0 so that AND-then-XOR leaves the screen untouched.
            const int value = image.clear(x, y) ? 0 : image.at(x, y);
            row[x / 2] = char(row[x / 2] | (x % 2 == 0 ? value << 4 : value));
        }
        data.append(row);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        QByteArray row(maskRow, '\0');
        for (int x = 0; x < image.width; ++x) {
            if (image.clear(x, y))
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        data.append(row);
    }
    return data;
}

QByteArray directoryFile(quint16 type, const std::vector<IndexedImage>& images, QPoint hotSpot) {
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << type << quint16(images.size());
    std::vector<QByteArray> blobs;
    quint32 offset = quint32(6 + 16 * images.size());
    for (const IndexedImage& image : images) {
        blobs.push_back(imageData(image));
        // Width and height 256 would be written as 0; these pictures are all smaller.
        out << quint8(image.width) << quint8(image.height) << quint8(16) << quint8(0);
        if (type == 2)
            out << quint16(hotSpot.x()) << quint16(hotSpot.y());
        else
            out << quint16(1) << quint16(4);
        out << quint32(blobs.back().size()) << offset;
        offset += quint32(blobs.back().size());
    }
    for (const QByteArray& blob : blobs)
        file.append(blob);
    return file;
}

} // namespace

QByteArray iconFile(const std::vector<IndexedImage>& images) {
    return directoryFile(1, images, {});
}

QByteArray cursorFile(const IndexedImage& image, QPoint hotSpot) {
    return directoryFile(2, {image}, hotSpot);
}

} // namespace artwork
