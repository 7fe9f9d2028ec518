#pragma once
// Draws the engine's frames into the video area's native window from a thread of its own, with an OpenGL
// context of its own, as the engine's own video outputs do: a costly frame (a large picture scaled in
// software, a heavy subtitle) holds up this thread, never the window's event loop. It lives on that thread;
// VideoSurface talks to it by queued calls, and waits for it only to read a frame back or to hand the window
// over. It never calls libmpv itself: frames come through the engine's render contract.

#include <QImage>
#include <QObject>
#include <QSize>
#include <QTimer>
#include <atomic>
#include <memory>

class HeldCore;
class MediaEngine;
class QOffscreenSurface;
class QOpenGLContext;
class QWindow;
class RenderContext;

class VideoRenderer : public QObject {
    Q_OBJECT
  public:
    VideoRenderer(MediaEngine* engine, QWindow* window);
    ~VideoRenderer() override;

    // All of these run on the render thread.
    // Where to draw: the window's size in pixels, whether it is on screen, whether it has a platform surface.
    void setTarget(QSize pixels, bool exposed, bool hasSurface);
    void setBlank(bool blank);
    // Draws the current frame afresh into an offscreen framebuffer and reads it back.
    QImage grab();
    // The window's platform surface is about to go: until the next setTarget() the context is made current on
    // this stand-in (made on the UI thread, as it must be), and nothing is drawn.
    void useSpareSurface(QOffscreenSurface* spare);
    // Gives the render context back to the engine and frees the OpenGL context.
    void release();
    // After no OpenGL context could be made: tries again (a new pick).
    void retry();
    // The core stopped answering (or the engine ends): this renderer goes with it. It lets go of the window
    // at once, then waits here for the core to answer, frees the render context, ends the core, and ends its
    // thread. markRetiring() is called first, on the UI thread: no render context is made after it.
    void markRetiring() { retiring_ = true; }
    void retire(QOffscreenSurface* spare, const std::shared_ptr<HeldCore>& core);

  signals:
    void frameMayWait(); // from a libmpv thread
    void renderContextChanged(bool present);
    void windowReleased(); // by a retiring renderer, before it waits for its core

  private:
    bool ensureRenderContext();
    bool makeCurrent();
    void warmUp();
    void frameReady();
    void drawFrame();
    void paint(int framebuffer, QSize pixels);

    MediaEngine* engine_;
    QWindow* window_;
    QOffscreenSurface* spare_ = nullptr;
    std::unique_ptr<QOpenGLContext> gl_;
    RenderContext* frames_ = nullptr;
    QTimer drawTimer_{this}; // until the next frame's display time; a child, so it moves threads with this
    QSize pixels_;
    bool exposed_ = false;
    bool hasSurface_ = false;
    bool blank_ = false;
    bool failed_ = false; // no OpenGL here: do not try again on every frame
    std::atomic<bool> retiring_{false};
};
