#include "opening/picture_header.h"

#include <algorithm>
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

// Sub-blocks of a GIF extension or image: a length byte each, until a zero one. -1 if the head ends first.
qsizetype pastSubBlocks(const QByteArray& b, qsizetype at) {
    for (qint64 length; (length = byteAt(b, at)) > 0;)
        at += 1 + length;
    return byteAt(b, at) == 0 ? at + 1 : -1;
}

qsizetype pastColourTable(const QByteArray& b, qsizetype flagsAt) {
    const qint64 flags = byteAt(b, flagsAt);
    if (flags < 0)
        return -1;
    return flagsAt + 1 + (flags & 0x80 ? 3 * (qsizetype(2) << (flags & 0x07)) : 0);
}

// The logical screen, widened to every frame the head holds: a frame may claim more than the screen.
PictureSize gifSize(const QByteArray& b) {
    qint64 width = le(b, 6, 2), height = le(b, 8, 2);
    qsizetype at = pastColourTable(b, 10);
    at = at < 0 ? at : at + 2; // the background colour and aspect bytes
    while (at > 0 && at < b.size()) {
        const qint64 block = byteAt(b, at);
        if (block == 0x21) { // extension: label, then sub-blocks
            at = pastSubBlocks(b, at + 2);
        } else if (block == 0x2c) { // image: left, top, width, height, flags
            width = std::max(width, le(b, at + 1, 2) + le(b, at + 5, 2));
            height = std::max(height, le(b, at + 3, 2) + le(b, at + 7, 2));
            at = pastColourTable(b, at + 9);
            at = at < b.size() ? pastSubBlocks(b, at + 1) : -1; // the code size, then the data
        } else {
            break; // the trailer, or bytes that are no block
        }
    }
    return sized(width, height);
}

// The first image's width and length tags (short or long values) in its first directory.
PictureSize tiffSize(const QByteArray& b) {
    const bool big = b.startsWith("MM");
    const auto read = [&](qsizetype at, int bytes) { return field(b, at, bytes, big); };
    const qint64 directory = read(4, 4);
    const qint64 entries = read(directory, 2);
    qint64 width = 0, height = 0;
    for (qint64 i = 0; directory > 0 && i < entries; ++i) {
        const qsizetype entry = directory + 2 + 12 * i;
        const qint64 tag = read(entry, 2), type = read(entry + 2, 2);
        const qint64 value = type == 3 ? read(entry + 8, 2) : type == 4 ? read(entry + 8, 4) : -1;
        if (tag == 256)
            width = value;
        else if (tag == 257)
            height = value;
    }
    return sized(width, height);
}

} // namespace

PictureSize pictureSize(const QByteArray& head) {
    if (head.startsWith("\x89PNG\r\n\x1a\n") && head.mid(12, 4) == "IHDR")
        return sized(be(head, 16, 4), be(head, 20, 4));
    if (head.startsWith("\xff\xd8"))
        return jpegSize(head);
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return gifSize(head);
    if (head.startsWith("BM"))
        return bmpSize(head);
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return webpSize(head);
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return tiffSize(head);
    return {};
}
