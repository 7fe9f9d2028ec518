#pragma once
// The engine alone: a bare libmpv client drawing through the render API into a plain QOpenGLWidget, with
// the component's engine options. The reference the component is measured against.

#include <QOpenGLWidget>

struct mpv_handle;
struct mpv_render_context;

class BareMpvView : public QOpenGLWidget {
  public:
    explicit BareMpvView(QWidget* parent = nullptr);
    ~BareMpvView() override;

    void load(const QString& path);
    void stop();
    // The same seek as the component's arrow keys: to the current position plus seconds, exactly.
    void seekBy(double seconds);
    // The file given last has played to its end.
    bool ended() const { return ended_; }

  protected:
    void initializeGL() override;
    void paintGL() override;

  private:
    void drainEvents();
    void frameReady();

    mpv_handle* mpv_ = nullptr;
    mpv_render_context* render_ = nullptr;
    bool ended_ = false;
};
