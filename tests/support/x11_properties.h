#pragma once
// Window properties as the X server holds them, read with xprop: what the window manager sees of our windows
// and what it says back (stacking, active window, state).

#include <QList>
#include <QStringList>

namespace x11 {
// The property's items (atom names, window ids in hex, numbers); empty when the window has none. Window 0
// is the root window.
QStringList property(quint64 window, const char* name);
// The managed windows from bottom to top; empty when no window manager runs.
QList<quint64> stacking();
bool windowManagerRunning();
// True when `upper` stands above `lower` in the window manager's stacking order.
bool above(quint64 upper, quint64 lower);
} // namespace x11
