#pragma once
// Writes Windows icon (.ico) and cursor (.cur) files: 4 bits a pixel, the standard 16-colour palette,
// and an AND mask that makes the pixels marked transparent show the screen behind them.

#include "palette16.h"
#include <QByteArray>
#include <QPoint>

namespace artwork {

QByteArray iconFile(const std::vector<IndexedImage>& images);

// A cursor file is an icon file of type 2 whose directory entry carries the hot spot.
QByteArray cursorFile(const IndexedImage& image, QPoint hotSpot);

} // namespace artwork
