#include "pictures.h"

namespace artwork {

IndexedImage handCursor() {
    // Pixel art: at 32 pixels in 16 colours a hand drawn pixel by pixel reads far better than a scaled one.
    // K black outline, W white skin, S silver shading, B blue cuff, N navy cuff shading.
    // The tip of the index finger, row 1 column 12, is the hot spot.
    return fromRows(
        {
            "................................", //  0
            "...........KKK..................", //  1
            "..........KWWWK.................", //  2
            "..........KWWWK.................", //  3
            "..........KWWWK.................", //  4
            "..........KWWSK.................", //  5
            "..........KWWSK.................", //  6
            "..........KWWSK.................", //  7
            "..........KWWSKKKK..............", //  8
            "..........KWWSKWWWKKKK..........", //  9
            "..........KWWSKWWSKWWWK.........", // 10
            "..........KWWSKWWSKWWSKKK.......", // 11
            ".....KK...KWWSKWWSKWWSKWWK......", // 12
            "....KWWK..KWWWSWWWSWWWSWSK......", // 13
            "....KWWWK.KWWWWWWWWWWWWWSK......", // 14
            ".....KWWWKKWWWWWWWWWWWWWSK......", // 15
            ".....KWWWWSWWWWWWWWWWWWWSK......", // 16
            "......KWWWWWWWWWWWWWWWWWSK......", // 17
            "......KWWWWWWWWWWWWWWWWWSK......", // 18
            ".......KWWWWWWWWWWWWWWWWSK......", // 19
            ".......KWWWWWWWWWWWWWWWWSK......", // 20
            "........KWWWWWWWWWWWWWWSK.......", // 21
            ".........KWWWWWWWWWWWWWSK.......", // 22
            ".........KKKKKKKKKKKKKKKK.......", // 23
            ".........KBBBBBBBBBBBBBNK.......", // 24
            ".........KBBBBBBBBBBBBBNK.......", // 25
            ".........KBBBBBBBBBBBBBNK.......", // 26
            ".........KBBBBBBBBBBBBBNK.......", // 27
            ".........KNNNNNNNNNNNNNNK.......", // 28
            ".........KKKKKKKKKKKKKKKK.......", // 29
            "................................", // 30
            "................................", // 31
        },
        {{'K', Black}, {'W', White}, {'S', Silver}, {'B', Blue}, {'N', Navy}});
}

} // namespace artwork
