#include "media/drawing_choice.h"

#include "media/x_shm_presenter.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

std::optional<DrawingPath> forcedDrawingPath() {
    const QByteArray forced = qgetenv("TOLVANE_VIDEO_OUTPUT").toLower();
    if (forced == "opengl")
        return DrawingPath::OpenGL;
    if (forced == "software")
        return DrawingPath::Software;
    return std::nullopt;
}

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool isSoftwareRenderer(const QByteArray& renderer) {
    // Mesa's llvmpipe, softpipe and swrast (the last also as "Software Rasterizer"), and the software
    // devices of Windows' and macOS' OpenGL layers as seen through a virtual machine's or WSL's driver.
    static const char* const kSoftware[] = {"llvmpipe",
                                            "softpipe",
                                            "software rasterizer",
                                            "swrast",
                                            "basic render driver",
                                            "apple software renderer"};
    const QByteArray name = renderer.toLower();
    for (const char* software : kSoftware)
        if (name.contains(software))
            return true;
    return false;
}

namespace {
// Whether the X server offers direct rendering (DRI3 or DRI2). Without it, OpenGL here could only be
// software or indirect.
bool offersDirectRendering(xcb_connection_t* connection) {
    const char* const kDirect[] = {"DRI3", "DRI2"};
    xcb_query_extension_cookie_t asked[2];
    for (int i = 0; i < 2; ++i)
        asked[i] = xcb_query_extension(connection, uint16_t(std::strlen(kDirect[i])), kDirect[i]);
    bool offered = false;
    for (const xcb_query_extension_cookie_t& cookie : asked) {
        xcb_query_extension_reply_t* reply = xcb_query_extension_reply(connection, cookie, nullptr);
        offered = offered || (reply && reply->present);
        std::free(reply);
    }
    return offered;
}
} // namespace

// What the server offers is asked once a process, on the toolkit's connection (this runs on the UI thread);
// whether the software path runs only where it would be taken. The forced path is read each time.
bool drawsWithoutOpenGL(const QByteArray& display) {
    const std::optional<DrawingPath> forced = forcedDrawingPath();
    if (forced == DrawingPath::OpenGL)
        return false;
    // On Wayland the software path always runs (through the toolkit's backing store), but whether OpenGL
    // is software is known only once it is loaded: without OpenGL from the start only when forced.
    if (display.isEmpty())
        return forced == DrawingPath::Software && onWayland();
    static const bool noDirect = [] {
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 && x11->connection() && !offersDirectRendering(x11->connection());
    }();
    if (forced != DrawingPath::Software && !noDirect)
        return false;
    static const bool softwareRuns = XShmPresenter(display).usable();
    return softwareRuns;
}
