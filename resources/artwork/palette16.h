#pragma once
// The 16 colours of the standard Windows palette, and pictures that index into it.

#include <QImage>
#include <array>
#include <cstdint>
#include <vector>

namespace artwork {

enum PaletteIndex : std::uint8_t {
    Black,
    Maroon,
    Green,
    Olive,
    Navy,
    Purple,
    Teal,
    Silver,
    Grey,
    Red,
    Lime,
    Yellow,
    Blue,
    Fuchsia,
    Aqua,
    White
};

const std::array<QRgb, 16>& windowsPalette();

// A 16-colour picture with its transparency mask, rows from the top.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> index;
    std::vector<bool> transparent;

    IndexedImage(int w, int h);
    std::uint8_t at(int x, int y) const { return index[std::size_t(y * width + x)]; }
    bool clear(int x, int y) const { return transparent[std::size_t(y * width + x)]; }
    void set(int x, int y, std::uint8_t colour);
};

int nearestPaletteIndex(QRgb colour);

// Each pixel becomes the nearest palette colour; pixels with alpha below one half become transparent.
IndexedImage quantise(const QImage& image);

// Builds a picture from rows of characters; `legend` maps each character to a palette index, and
// characters missing from it are transparent.
IndexedImage fromRows(const std::vector<const char*>& rows,
                      const std::vector<std::pair<char, PaletteIndex>>& legend);

QImage toArgb(const IndexedImage& image);

} // namespace artwork
