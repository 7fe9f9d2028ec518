#include "pictures.h"
#include "rings.h"

#include <cstring>

namespace artwork {
namespace {

// The logo word in bold capitals drawn pixel by pixel, since no font stays legible 8 pixels tall in
// two colours.
const std::vector<const char*> Word = {
    "######..####..##.....##...##", //
    "######.######.##.....##...##", //
    "..##...##..##.##.....##...##", //
    "..##...##..##.##......##.##.", //
    "..##...##..##.##......##.##.", //
    "..##...##..##.##......##.##.", //
    "..##...######.######...###..", //
    "..##....####..######...###..", //
};

} // namespace

IndexedImage aboutIcon() {
    constexpr int Size = 48;
    IndexedImage icon(Size, Size);
    const int wordWidth = int(std::strlen(Word.front()));
    const int left = (Size - wordWidth) / 2;
    for (int y = 0; y < int(Word.size()); ++y) {
        for (int x = 0; x < wordWidth; ++x) {
            if (Word[std::size_t(y)][x] == '#')
                icon.set(left + x, 1 + y, Black);
        }
    }
    // Each pixel is sampled 4 by 4 times. Where a ring passes under another it breaks off a pixel short of
    // it, drawn black: with no room for shading, that gap is what shows which ring lies on top.
    const Rings rings = Rings::fittedInto(QRectF(0.5, 11, 47, 37), 0.15);
    const double gap = 1.1;
    for (int y = 11; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            int shadow = 0, body = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    const QPointF p(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
                    const int v = rings.visibleAt(p);
                    if (v < 0)
                        continue;
                    bool under = false;
                    for (int j = 0; j < 3; ++j) {
                        if (j != v && std::abs(rings.offset(j, p)) < rings.halfWidth + gap &&
                            rings.over(j, v, p))
                            under = true;
                    }
                    ++(under ? shadow : body);
                }
            }
            if (shadow + body < 7)
                continue;
            icon.set(x, y, shadow > body ? Black : Teal);
        }
    }
    return icon;
}

} // namespace artwork
