#include "opening/picture_header.h"

#include <cstdlib>

namespace {

qint64 byteAt(const QByteArray& b, qsizetype at) {
    return at < b.size() ? qint64(quint8(b[at])) : -1;
}

// Little- and big-endian fields; -1 when the header ends before them.
qint64 field(const QByteArray& b, qsizetype at, int bytes, bool bigEndian) {
    if (at < 0 || at + bytes > b.size())
        return -1;
    qint64 value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= byteAt(b, at + i) << (8 * (bigEndian ? bytes - 1 - i : i));
    return value;
}
qint64 le(const QByteArray& b, qsizetype at, int bytes) {
    return field(b, at, bytes, false);
}
qint64 be(const QByteArray& b, qsizetype at, int bytes) {
    return field(b, at, bytes, true);
}

PictureSize sized(qint64 width, qint64 height) {
    return width > 0 && height > 0 ? PictureSize{width, height} : PictureSize{};
}

// Segment by segment to the first start-of-frame; a scan before it means the header is not one to trust.
PictureSize jpegSize(const QByteArray& b) {
    qsizetype at = 2;
    while (at + 4 <= b.size()) {
        if (byteAt(b, at) != 0xff)
            return {};
        const qint64 marker = byteAt(b, at + 1);
        if (marker == 0xff || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8)) {
            at += marker == 0xff ? 1 : 2; // fill byte, or a marker without a length
            continue;
        }
        if (marker == 0xd9 || marker == 0xda)
            return {};
        const qint64 length = be(b, at + 2, 2);
        if (length < 2)
            return {};
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
            return sized(be(b, at + 7, 2), be(b, at + 5, 2));
        at += 2 + length;
    }
    return {};
}

PictureSize bmpSize(const QByteArray& b) {
    const qint64 header = le(b, 14, 4);
    if (header == 12) // the old OS/2 header: 16-bit fields
        return sized(le(b, 18, 2), le(b, 20, 2));
    if (header < 40 || le(b, 22, 4) < 0)
        return {};
    // Signed: a negative height is a picture stored top to bottom.
    return sized(qint32(le(b, 18, 4)), std::abs(qint64(qint32(le(b, 22, 4)))));
}

PictureSize webpSize(const QByteArray& b) {
    const QByteArray chunk = b.mid(12, 4);
    if (chunk == "VP8 " && b.mid(23, 3) == "\x9d\x01\x2a")
        return sized(le(b, 26, 2) & 0x3fff, le(b, 28, 2) & 0x3fff);
    if (chunk == "VP8L" && byteAt(b, 20) == 0x2f && le(b, 21, 4) >= 0)
        return sized((le(b, 21, 4) & 0x3fff) + 1, ((le(b, 21, 4) >> 14) & 0x3fff) + 1);
    if (chunk == "VP8X" && le(b, 27, 3) >= 0)
        return sized(le(b, 24, 3) + 1, le(b, 27, 3) + 1);
    return {};
}

} // namespace

PictureSize pictureSize(const QByteArray& head) {
    if (head.startsWith("\x89PNG\r\n\x1a\n") && head.mid(12, 4) == "IHDR")
        return sized(be(head, 16, 4), be(head, 20, 4));
    if (head.startsWith("\xff\xd8"))
        return jpegSize(head);
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return sized(le(head, 6, 2), le(head, 8, 2));
    if (head.startsWith("BM"))
        return bmpSize(head);
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return webpSize(head);
    return {};
}
