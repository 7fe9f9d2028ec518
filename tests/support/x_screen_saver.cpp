#include "support/x_screen_saver.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace {
Display* display() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}
} // namespace

void setScreenSaverTimes(int timeout, int cycle) {
    XSetScreenSaver(display(), timeout, cycle, PreferBlanking, AllowExposures);
    XSync(display(), False);
}

void resetScreenSaver() {
    XForceScreenSaver(display(), ScreenSaverReset);
    XSync(display(), False);
}

bool screenSaverActive() {
    XScreenSaverInfo info{};
    Display* d = display();
    return XScreenSaverQueryInfo(d, DefaultRootWindow(d), &info) && info.state == ScreenSaverOn;
}
