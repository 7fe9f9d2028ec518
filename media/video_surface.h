#pragma once
// The native window inside the video area. Frames are drawn into it by a VideoRenderer on a thread of its
// own; this side, on the UI thread, only tells the renderer where and whether to draw. It only shows;
// pointer and keys belong to the widget that hosts it.

#include "engine/core_watch.h"
#include "media/video_renderer.h"

#include <QImage>
#include <QList>
#include <QThread>
#include <QWindow>
#include <memory>

class ExposeNudge;
class FrameMailbox;
class FramePainter;
class HeldCore;
class MediaEngine;
class QOffscreenSurface;
class QSemaphore;

class VideoSurface : public QWindow, private HeldCoreTaker {
    Q_OBJECT
  public:
    explicit VideoSurface(MediaEngine* engine);
    ~VideoSurface() override;

    // Gives the render context back to the engine and stops the render thread, for good: before the engine
    // goes away.
    void releaseRenderContext();
    bool hasRenderContext() const { return hasRenderContext_; }
    // How the video is drawn, once a render context is made: "OpenGL" or "software".
    QString drawingPath() const { return drawingPath_; }
    // Black instead of the engine's last frame: after a file that could not be played, or with none.
    void setBlank(bool blank);
    bool isBlank() const { return blank_; }
    // No OpenGL context could be made before: a new pick tries again.
    void retryRenderContext();

    // Draws the current frame afresh into an offscreen framebuffer and reads it back.
    QImage grabFrame();

  signals:
    void renderContextChanged();
    // From the render thread (Wayland): a picture waits in the mailbox, to paint at the next frame.
    void pictureWaiting();
    // To the render thread.
    void targetChanged(QSize pixels, bool exposed, quintptr window);
    void blankChanged(bool blank);
    void retryRequested();
    void grabRequested(QImage* into);            // waits for the answer
    void surfaceGoing(QOffscreenSurface* spare); // waits until the renderer has let go of the window
    void stopRequested();                        // waits
    // To one renderer only, the one being retired (takeHeldCore).
    void retireRequested(QOffscreenSurface* spare, const std::shared_ptr<HeldCore>& core);

  protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void startRenderer();
    // The engine's core stopped answering, or the engine ends: the renderer goes with it (see
    // VideoRenderer::retire) and, for a fresh core, a fresh one takes its place.
    bool takeHeldCore(const std::shared_ptr<HeldCore>& core, bool replace) override;
    void sendTarget();
    // The renderer leaves the window's surface for a spare one, and the painter its backing store.
    void letGoOfSurface();
    std::unique_ptr<QOffscreenSurface> newSpare() const;
    VideoRenderer::PresenterMaker presenterMaker() const;

    MediaEngine* engine_;
    const QByteArray display_; // the X display's name; empty away from X11
    const bool withoutOpenGL_; // drawn in software, with no OpenGL loaded (drawing_choice.h)
    // Wayland only: the software path's pictures, handed over by the render thread and painted here.
    std::shared_ptr<FrameMailbox> mailbox_;
    std::unique_ptr<FramePainter> painter_;
    ExposeNudge* nudge_ = nullptr; // Wayland only; a child
    QThread* thread_ = nullptr;
    VideoRenderer* renderer_ = nullptr; // lives on thread_ while it runs
    std::unique_ptr<QOffscreenSurface> spare_;
    // Retired renderers, each released once it has let go of this window: leaving waits for that, briefly.
    QList<std::shared_ptr<QSemaphore>> retiring_;
    QString drawingPath_;
    bool hasRenderContext_ = false;
    bool blank_ = false;
};
