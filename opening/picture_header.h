#pragma once
// A picture's size in pixels, read from its header alone (JPEG, PNG, GIF with its frames, BMP, WebP, TIFF):
// how much memory its decoding would take is known before anything decodes it.

#include <QByteArray>
#include <QtGlobal>

struct PictureSize {
    qint64 width = 0, height = 0; // 0: the header could not be read
    bool known() const { return width > 0 && height > 0; }
};

// The most pixels a picked picture, or a frame of any video, may have: 40 million holds an 8K frame and a
// 36-megapixel photograph; decoding a picture this size takes some hundreds of MiB, one of 16000 x 16000
// several GiB.
inline constexpr qint64 kMaxPicturePixels = 40'000'000;

// From the first bytes of the file; a JPEG's size may stand after its metadata, some tens of KiB in.
PictureSize pictureSize(const QByteArray& head);
