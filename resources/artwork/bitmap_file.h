#pragma once
// Writes an uncompressed 32-bit BMP: 14-byte file header, 40-byte BITMAPINFOHEADER, rows bottom-up,
// each pixel blue, green, red and a fourth byte that is always zero.

#include <QByteArray>
#include <QImage>

namespace artwork {

// `trailingBytes` zero bytes follow the pixels and are counted in the header's file size, as some
// editors of old wrote them.
QByteArray bitmapFile32(const QImage& image, int trailingBytes = 0);

} // namespace artwork
