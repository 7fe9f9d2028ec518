#pragma once
// The video area: draws the engine's frames through libmpv's render API into a QOpenGLWidget.
// Drawing only; pointer and key events go to whoever listens (MediaPlayer).

#include <QOpenGLWidget>
#include <QString>

class MediaEngine;
struct mpv_render_context;

class VideoView : public QOpenGLWidget {
    Q_OBJECT
  public:
    explicit VideoView(MediaEngine* engine, QWidget* parent = nullptr);
    ~VideoView() override;

    // Frees the render context (with the GL context current) before the engine goes away.
    void releaseRenderContext();
    bool hasRenderContext() const { return render_ != nullptr; }

    // Audio-only files show this caption on a dark background instead of a black box.
    void setCaption(const QString& caption);
    QString caption() const { return caption_; }

  signals:
    void pointerEvent(QMouseEvent* event);
    void contextMenuRequested(const QPoint& globalPosition);

  protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    static void onUpdate(void* self);
    void frameReady();
    void paintCaption();

    MediaEngine* engine_;
    mpv_render_context* render_ = nullptr;
    QString caption_;
    bool showCaption_ = false;
};
