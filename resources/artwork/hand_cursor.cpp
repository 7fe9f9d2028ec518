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
            "..........KWWSK.................", //  4
            "..........KWWSK.................", //  5
            "..........KWWSK.................", //  6
            "..........KWWSKKK...............", //  7
            "..........KWWSKWWKKK............", //  8
            "..........KWWSKWWSKWKKK.........", //  9
            "..........KWWSKWWSKWWSKKK.......", // 10
            "..........KWWSKWWSKWWSKWSK......", // 11
            "......KK..KWWWWWWWWWWWKWSK......", // 12
            ".....KWWK.KWWWWWWWWWWWWWSK......", // 13
            ".....KWWSKKWWWWWWWWWWWWWSK......", // 14
            "......KWWSKWWWWWWWWWWWWWSK......", // 15
            "......KWWWSWWWWWWWWWWWWWSK......", // 16
            ".......KWWWWWWWWWWWWWWWWSK......", // 17
            ".......KWWWWWWWWWWWWWWWWSK......", // 18
            "........KWWWWWWWWWWWWWWSK.......", // 19
            "........KWWWWWWWWWWWWWWSK.......", // 20
            ".........KWWWWWWWWWWWWSK........", // 21
            ".........KWWWWWWWWWWWWSK........", // 22
            ".........KKKKKKKKKKKKKKK........", // 23
            ".........KBBBBBBBBBBBBNK........", // 24
            ".........KBBBBBBBBBBBBNK........", // 25
            ".........KBBBBBBBBBBBBNK........", // 26
            ".........KBBBBBBBBBBBBNK........", // 27
            ".........KNNNNNNNNNNNNNK........", // 28
            ".........KKKKKKKKKKKKKKK........", // 29
            "................................", // 30
            "................................", // 31
        },
        {{'K', Black}, {'W', White}, {'S', Silver}, {'B', Blue}, {'N', Navy}});
}

} // namespace artwork
