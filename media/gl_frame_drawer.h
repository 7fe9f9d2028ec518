#pragma once
// Draws the frames with OpenGL: a context of its own on the render thread, current on the video area's
// window (or on a stand-in while the window's platform surface is made again), the core drawing into the
// window's framebuffer.

#include "media/frame_drawer.h"

#include <QByteArray>
#include <memory>
#include <qopengl.h>

class QOpenGLContext;
class QWindow;

class GlFrameDrawer : public FrameDrawer {
  public:
    explicit GlFrameDrawer(QWindow* window);
    ~GlFrameDrawer() override;

    // Makes the OpenGL context and makes it current on the window; false when there is no OpenGL here.
    bool create();
    // The driver's name for itself (GL_RENDERER), read with the context current.
    QByteArray rendererName() const { return renderer_; }
    // False for an indirect GLX context: every call goes to the X server as a request, and the server
    // draws, in software on most (a remote desktop, an ssh -X session).
    bool isDirect() const { return direct_; }

    void useWindow(quintptr window) override;
    void letGoOfWindow(QOffscreenSurface* spare) override;
    bool begin() override;
    RenderContext* makeFrames(MediaEngine* engine, const std::function<void()>& frameCallback) override;
    void present(RenderContext* frames, QSize pixels, bool blank) override;
    void skip(RenderContext* frames) override;
    QImage grab(RenderContext* frames, QSize pixels, bool blank) override;
    void end() override;
    bool lost() const override;
    const char* name() const override { return "OpenGL"; }

  private:
    using ResetStatus = GLenum (*)();
    ResetStatus lookUpResetStatus() const;
    void warmUp();
    bool askDirect() const;
    void paint(RenderContext* frames, int framebuffer, QSize pixels, bool blank);

    QWindow* window_;
    QOffscreenSurface* spare_ = nullptr;
    std::unique_ptr<QOpenGLContext> gl_;
    QByteArray renderer_;
    bool direct_ = true;
    bool hasSurface_ = true;
    ResetStatus resetStatus_ = nullptr;
    bool lost_ = false;
};
