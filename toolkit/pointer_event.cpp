#include "toolkit/pointer_event.h"
#include "toolkit/twips.h"

PointerArgs pointerArgs(const QMouseEvent* event) {
    const Qt::MouseButtons buttons = event->buttons() | event->button();
    const Qt::KeyboardModifiers mods = event->modifiers();
    PointerArgs args;
    args.button = short((buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
                        (buttons & Qt::MiddleButton ? 4 : 0));
    args.shift = short((mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) |
                       (mods & Qt::AltModifier ? 4 : 0));
    const QPoint at = event->position().toPoint();
    args.x = pixelsToTwipsX(at.x());
    args.y = pixelsToTwipsY(at.y());
    return args;
}
