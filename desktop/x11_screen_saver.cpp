#include "desktop/x11_screen_saver.h"

#include <QGuiApplication>
// Xlib last: its macros (None, Bool, Status) clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

X11ScreenSaver::X11ScreenSaver() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    // Suspension came with version 1.1 of the extension.
    if (display && XScreenSaverQueryExtension(display, &eventBase, &errorBase) &&
        XScreenSaverQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 1)))
        display_ = display;
}

X11ScreenSaver::~X11ScreenSaver() {
    setSuspended(false);
}

void X11ScreenSaver::setSuspended(bool suspended) {
    if (!display_ || suspended == suspended_)
        return;
    suspended_ = suspended;
    auto* display = static_cast<Display*>(display_);
    // A screen that blanked while nothing played comes back when a video starts without a key press
    // (a media key, a remote control).
    if (suspended)
        XResetScreenSaver(display);
    XScreenSaverSuspend(display, suspended ? True : False);
    XFlush(display);
}
