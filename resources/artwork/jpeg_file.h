#pragma once
// Writes progressive JPEG (SOF2) with three 8-bit YCbCr components, optionally to an exact byte size.

#include <QByteArray>
#include <QImage>

namespace artwork {

QByteArray progressiveJpeg(const QImage& image, int quality);

// The best quality whose file is not larger than `size`, then padded to exactly `size` bytes with
// comment (COM) segments right after the start marker and the JFIF header. Throws if it cannot fit.
QByteArray progressiveJpegOfSize(const QImage& image, qsizetype size);

} // namespace artwork
