#include "palette16.h"

#include <cstring>
#include <limits>

namespace artwork {

const std::array<QRgb, 16>& windowsPalette() {
    static const std::array<QRgb, 16> palette = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return palette;
}

IndexedImage::IndexedImage(int w, int h)
    : width(w), height(h), index(std::size_t(w * h), Black), transparent(std::size_t(w * h), true) {}

void IndexedImage::set(int x, int y, std::uint8_t colour) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    index[std::size_t(y * width + x)] = colour;
    transparent[std::size_t(y * width + x)] = false;
}

int nearestPaletteIndex(QRgb colour) {
    // "Redmean" weighting: closer to how far apart two colours look than plain RGB distance.
    int best = 0;
    long bestDistance = std::numeric_limits<long>::max();
    for (int i = 0; i < 16; ++i) {
        const QRgb p = windowsPalette()[std::size_t(i)];
        const long rm = (qRed(colour) + qRed(p)) / 2;
        const long dr = qRed(colour) - qRed(p), dg = qGreen(colour) - qGreen(p),
                   db = qBlue(colour) - qBlue(p);
        const long distance = ((512 + rm) * dr * dr >> 8) + 4 * dg * dg + ((767 - rm) * db * db >> 8);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

IndexedImage quantise(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    IndexedImage out(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            if (qAlpha(c) < 128)
                continue;
            out.set(x, y, std::uint8_t(nearestPaletteIndex(c)));
        }
    }
    return out;
}

IndexedImage fromRows(const std::vector<const char*>& rows,
                      const std::vector<std::pair<char, PaletteIndex>>& legend) {
    const int h = int(rows.size());
    const int w = int(std::strlen(rows.front()));
    IndexedImage out(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w && rows[std::size_t(y)][x] != '\0'; ++x) {
            for (const auto& [symbol, colour] : legend) {
                if (rows[std::size_t(y)][x] == symbol)
                    out.set(x, y, colour);
            }
        }
    }
    return out;
}

QImage toArgb(const IndexedImage& image) {
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x)
            out.setPixel(x, y, image.clear(x, y) ? qRgba(0, 0, 0, 0) : windowsPalette()[image.at(x, y)]);
    }
    return out;
}

} // namespace artwork
