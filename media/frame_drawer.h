#pragma once
// One way of putting the engine's frames on the video area's native window, used by VideoRenderer on the
// render thread: with OpenGL (GlFrameDrawer) or in software (SoftwareFrameDrawer). Each owns what it draws
// with and makes the engine's render context of its own kind; the renderer decides when to draw.

#include <QImage>
#include <QSize>
#include <QtGlobal>
#include <functional>

class MediaEngine;
class QOffscreenSurface;
class RenderContext;

class FrameDrawer {
  public:
    virtual ~FrameDrawer() = default;
    FrameDrawer(const FrameDrawer&) = delete;
    FrameDrawer& operator=(const FrameDrawer&) = delete;

    // Where to draw: the native window's id, whenever it has (again) a platform window.
    virtual void useWindow(quintptr window) = 0;
    // The platform window is about to go: nothing of it is held from here; until the next useWindow() an
    // OpenGL context is current on this stand-in (made on the UI thread, as it must be).
    virtual void letGoOfWindow(QOffscreenSurface* spare) = 0;
    // Ready to make, draw with or free a render context (an OpenGL context current, on the window or on a
    // stand-in surface); false: not now.
    virtual bool begin() = 0;
    virtual RenderContext* makeFrames(MediaEngine* engine, const std::function<void()>& frameCallback) = 0;
    // The frame (black if blank) at that size put on the window, and the core told it is out.
    virtual void present(RenderContext* frames, QSize pixels, bool blank) = 0;
    // Not on screen: the core takes the frame without drawing it and hears it is out, or it waits for each
    // one in turn and then drops it, and the picture lags when the window is back.
    virtual void skip(RenderContext* frames) = 0;
    // The current frame drawn afresh off screen and read back.
    virtual QImage grab(RenderContext* frames, QSize pixels, bool blank) = 0;
    // Done for now: nothing of the window held.
    virtual void end() = 0;
    // What it draws with is gone (an OpenGL context its driver reset): nothing more is drawn with it.
    virtual bool lost() const { return false; }
    // "OpenGL" or "software": for the tests and diagnostics.
    virtual const char* name() const = 0;

  protected:
    FrameDrawer() = default;
};
