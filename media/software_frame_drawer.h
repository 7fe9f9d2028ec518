#pragma once
// Draws the frames without OpenGL: the engine's software renderer draws each frame at the window's size
// straight into memory its ShmPresenter puts on the window (shared with the X server on X11, handed to the
// UI thread's backing store on Wayland). Where OpenGL is itself
// software (a virtual machine, a remote desktop, no working GPU driver) this costs less than OpenGL's
// shaders run on the processor, and where there is no OpenGL at all it is the only way to show a video.

#include "media/frame_drawer.h"
#include "media/shm_presenter.h"

#include <memory>

class SoftwareFrameDrawer : public FrameDrawer {
  public:
    explicit SoftwareFrameDrawer(std::unique_ptr<ShmPresenter> presenter);

    // This path can show video here (on X11: the server maps our memory).
    bool usable() const { return presenter_->usable(); }
    // Whether it can put pictures on that window (on X11: one of 24 bits, no alpha to fill in).
    bool takesWindow(quintptr window) { return presenter_->setWindow(window); }

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
    std::unique_ptr<ShmPresenter> presenter_;
};
