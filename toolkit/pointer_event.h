#pragma once
// The arguments every pointer event of the layouts carries: button and shift state as 16-bit integers,
// x and y in twips from the control's top-left corner.

#include <QMouseEvent>

struct PointerArgs {
    short button = 0; // 1 left, 2 right, 4 middle, or'ed
    short shift = 0;  // 1 shift, 2 ctrl, 4 alt, or'ed
    float x = 0;
    float y = 0;
};

PointerArgs pointerArgs(const QMouseEvent* event);
