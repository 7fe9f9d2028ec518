#pragma once
// The native OpenGL window inside the video area: libmpv's render context draws each frame straight into
// it. It only shows; pointer and keys belong to the widget that hosts it.

#include <QImage>
#include <QOpenGLWindow>
#include <QTimer>

class MediaEngine;
struct MpvLibrary;
struct mpv_render_context;

class VideoSurface : public QOpenGLWindow {
    Q_OBJECT
  public:
    explicit VideoSurface(MediaEngine* engine);
    ~VideoSurface() override;

    // Frees the render context (with the GL context current) before the engine goes away.
    void releaseRenderContext();
    bool hasRenderContext() const { return render_ != nullptr; }

    // Draws the current frame afresh into an offscreen framebuffer and reads it back.
    QImage grabFrame();

  signals:
    void renderContextChanged();

  protected:
    void initializeGL() override;
    void paintGL() override;

  private:
    static void onUpdate(void* self);
    void frameReady();
    void drawFrame();
    const MpvLibrary& mpv() const;
    void render(int framebuffer, const QSize& pixels, bool skip);

    MediaEngine* engine_;
    mpv_render_context* render_ = nullptr;
    QTimer drawTimer_; // until the next frame's display time
};
