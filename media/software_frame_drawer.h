#pragma once
// Draws the frames without OpenGL: the engine's software renderer draws each frame at the window's size
// straight into memory shared with the X server, which copies it onto the window. Where OpenGL is itself
// software (a virtual machine, a remote desktop, no working GPU driver) this costs less than OpenGL's
// shaders run on the processor, and where there is no OpenGL at all it is the only way to show a video.

#include "media/frame_drawer.h"
#include "media/x_shm_presenter.h"

class SoftwareFrameDrawer : public FrameDrawer {
  public:
    // `display`: the X display's name, as the toolkit opened it.
    explicit SoftwareFrameDrawer(const QByteArray& display);

    // The X server maps our memory: this path can show video here.
    bool usable() const { return presenter_.usable(); }
    // Whether it can put pictures on that window (one of 24 bits: no alpha to fill in).
    bool takesWindow(quintptr window) { return presenter_.setWindow(uint32_t(window)); }

    void useWindow(quintptr window) override;
    void letGoOfWindow(QOffscreenSurface* spare) override;
    bool begin() override { return true; }
    RenderContext* makeFrames(MediaEngine* engine, const std::function<void()>& frameCallback) override;
    void present(RenderContext* frames, QSize pixels, bool blank) override;
    void skip(RenderContext* frames) override;
    QImage grab(RenderContext* frames, QSize pixels, bool blank) override;
    void end() override {}
    const char* name() const override { return "software"; }

  private:
    XShmPresenter presenter_;
};
