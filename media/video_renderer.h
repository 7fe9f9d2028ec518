#pragma once
// Draws the engine's frames into the video area's native window from a thread of its own, as the engine's
// own video outputs do: a costly frame (a large picture scaled in software, a heavy subtitle) holds up this
// thread, never the window's event loop. It lives on that thread; VideoSurface talks to it by queued calls,
// and waits for it only to read a frame back or to hand the window over. It decides when to draw; how is the
// job of its FrameDrawer, chosen here the first time a frame is wanted (drawing_choice.h). It never calls
// libmpv itself: frames come through the engine's render contract.

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

class FrameDrawer;
class HeldCore;
class MediaEngine;
class QOffscreenSurface;
class QWindow;
class RenderContext;
class ShmPresenter;

class VideoRenderer : public QObject {
    Q_OBJECT
  public:
    // Makes what puts the software path's pictures on this window; none where that path cannot run.
    using PresenterMaker = std::function<std::unique_ptr<ShmPresenter>()>;
    // `softwareOnly`: the window is not one OpenGL can draw on (drawsWithoutOpenGL).
    VideoRenderer(MediaEngine* engine, QWindow* window, PresenterMaker makePresenter, bool softwareOnly);
    ~VideoRenderer() override;

    // All of these run on the render thread.
    // Where to draw: the window's size in pixels, whether it is on screen, and its native window (0 while
    // it has no platform surface).
    void setTarget(QSize pixels, bool exposed, quintptr window);
    void setBlank(bool blank);
    // Draws the current frame afresh off screen and reads it back.
    QImage grab();
    // The window's platform surface is about to go: until the next setTarget() nothing of it is held (an
    // OpenGL context is current on this stand-in, made on the UI thread as it must be), and nothing is drawn.
    void useSpareSurface(QOffscreenSurface* spare);
    // Gives the render context back to the engine and frees what it drew with.
    void release();
    // After nothing could draw here: tries again (a new pick).
    void retry();
    // The core stopped answering (or the engine ends): this renderer goes with it. It lets go of the window
    // at once, then waits here for the core to answer, frees the render context, ends the core, and ends its
    // thread. markRetiring() is called first, on the UI thread: no render context is made after it.
    void markRetiring() { retiring_ = true; }
    void retire(QOffscreenSurface* spare, const std::shared_ptr<HeldCore>& core);

  signals:
    void frameMayWait(); // from a libmpv thread
    // A render context was made or freed; `path` says how it draws ("OpenGL", "software").
    void renderContextChanged(bool present, const QString& path);
    void windowReleased(); // by a retiring renderer, before it waits for its core

  private:
    bool ensureRenderContext();
    std::unique_ptr<FrameDrawer> makeDrawer();
    void frameReady();
    void drawFrame();
    void handOver();
    // Gives the render context back to the engine and says so; the drawer stays.
    void freeFrames();
    void freeDrawer();

    MediaEngine* engine_;
    QWindow* window_;
    const PresenterMaker makePresenter_;
    const bool softwareOnly_;
    std::unique_ptr<FrameDrawer> drawer_;
    RenderContext* frames_ = nullptr;
    QTimer drawTimer_{this}; // until the next frame's display time; a child, so it moves threads with this
    QSize pixels_;
    quintptr nativeWindow_ = 0;
    bool exposed_ = false;
    bool blank_ = false;
    bool failed_ = false; // nothing can draw here: do not try again on every frame
    std::atomic<bool> retiring_{false};
};
