#include "media/drawing_choice.h"

#include <QtGlobal>

std::optional<DrawingPath> forcedDrawingPath() {
    const QByteArray forced = qgetenv("TOLVANE_VIDEO_OUTPUT").toLower();
    if (forced == "opengl")
        return DrawingPath::OpenGL;
    if (forced == "software")
        return DrawingPath::Software;
    return std::nullopt;
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
