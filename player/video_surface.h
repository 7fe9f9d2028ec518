#pragma once
// The native OpenGL window inside the video area. It asks the engine for a render context once its OpenGL
// context exists, and draws each frame the context offers straight into itself; it never calls libmpv. It
// only shows; pointer and keys belong to the widget that hosts it.

#include <QImage>
#include <QOpenGLWindow>
#include <QTimer>

class MediaEngine;
class RenderContext;

class VideoSurface : public QOpenGLWindow {
    Q_OBJECT
  public:
    explicit VideoSurface(MediaEngine* engine);
    ~VideoSurface() override;

    // Gives the render context back to the engine (with the GL context current) before the engine goes away.
    void releaseRenderContext();
    bool hasRenderContext() const { return frames_ != nullptr; }
    // Black instead of the engine's last frame: after a file that could not be played, or with none.
    void setBlank(bool blank);
    bool isBlank() const { return blank_; }

    // Draws the current frame afresh into an offscreen framebuffer and reads it back.
    QImage grabFrame();

  signals:
    void renderContextChanged();

  protected:
    void initializeGL() override;
    void paintGL() override;

  private:
    void frameReady();
    void drawFrame();

    MediaEngine* engine_;
    RenderContext* frames_ = nullptr;
    bool blank_ = false;
    QTimer drawTimer_; // until the next frame's display time
};
