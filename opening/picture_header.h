#pragma once
// A picture's size in pixels, read from its header alone (JPEG, PNG, GIF, BMP, WebP): how much memory its
// decoding would take is known before anything decodes it.

#include <QByteArray>
#include <QtGlobal>

struct PictureSize {
    qint64 width = 0, height = 0; // 0: the header could not be read
    bool known() const { return width > 0 && height > 0; }
};

// From the first bytes of the file; a JPEG's size may stand after its metadata, some tens of KiB in.
PictureSize pictureSize(const QByteArray& head);
