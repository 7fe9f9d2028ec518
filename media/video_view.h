#pragma once
// The video area: a plain widget until the engine first needs somewhere to draw, then a native OpenGL child
// window (VideoSurface) into which the engine's frames are drawn from a thread of their own. The rest of the
// window stays an ordinary raster window, so neither OpenGL nor the time and memory it costs are touched
// before there is something to show, and a frame redraws the video area alone instead of the whole window.
// Drawing only; pointer and key events go to whoever listens (MediaPlayer).

#include <QImage>
#include <QString>
#include <QWidget>

class MediaEngine;
class VideoSurface;

class VideoView : public QWidget {
    Q_OBJECT
  public:
    explicit VideoView(MediaEngine* engine, QWidget* parent = nullptr);
    ~VideoView() override;

    // Frees the render context (with the GL context current) before the engine goes away.
    void releaseRenderContext();
    bool hasRenderContext() const;
    // Whether the OpenGL window exists yet: not before the engine first needs somewhere to draw.
    bool hasOpenGL() const { return surface_ != nullptr; }
    // How frames are drawn once a render context is made: "OpenGL" or "software"; empty before.
    QString drawingPath() const;

    // Audio-only files show this caption on a dark background instead of a black box.
    void setCaption(const QString& caption);
    QString caption() const { return caption_; }

    // The picture as the viewer sees it: the current video frame drawn afresh, or the caption or black.
    QImage grabFramebuffer();

  signals:
    void pointerEvent(QMouseEvent* event);
    void contextMenuRequested(const QPoint& globalPosition);
    void firstPainted();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Makes the OpenGL child window, if not yet made; its render context follows once it is on screen.
    void prepareSurface();
    void showSurfaceOrCaption();
    bool audioOnly() const;

    MediaEngine* engine_;
    VideoSurface* surface_ = nullptr;
    QWidget* container_ = nullptr;
    QString caption_;
    bool prepared_ = false;
};
