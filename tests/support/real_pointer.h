#pragma once
// The X server's real pointer, moved and clicked through the XTEST extension (xdotool), so windows get the
// same events a user's mouse makes.

#include <QPoint>

namespace real_pointer {
void moveTo(QPoint global);
void click(int button = 1);
void doubleClick(int button = 1);
} // namespace real_pointer
