#pragma once
// The render contract between the engine and whoever draws its video: one libmpv render context, bound either
// to one OpenGL context or to libmpv's software renderer, which draws into memory the drawer owns. The engine
// makes and frees it (MediaEngine::createRenderContext / freeRenderContext); the drawer only asks for frames.
// Nothing here needs the UI thread: every call is made on the drawing thread (VideoRenderer's), with the
// owning OpenGL context current where there is one.

#include <QSize>
#include <atomic>
#include <cstdint>
#include <functional>

struct MpvLibrary;
struct mpv_handle;
struct mpv_render_context;

class RenderContext {
  public:
    using ProcAddress = void* (*)(void* context, const char* name);
    // Called on a libmpv thread when a new frame may be waiting, at most once until frameWaiting() is asked:
    // a burst of the core's wake-ups costs one hop to the drawing thread.
    using FrameCallback = std::function<void()>;

    // Whether a new frame is due to be drawn; re-arms the frame callback.
    bool frameWaiting();
    // Microseconds until the waiting frame should be on screen (0 when now, or not known).
    int64_t microsecondsToFrame() const;
    // Draws the current frame into a framebuffer object of that size; skip lets the core take the frame
    // without drawing it (the window is not on screen).
    void render(int framebuffer, const QSize& pixels, bool skip);
    // The software renderer's draw: 32-bit pixels, blue, green, red, unused ("bgr0"), into memory of `stride`
    // bytes a row; the pointer and the stride must be multiples of kSoftwareAlignment.
    void renderInto(void* pixels, const QSize& size, qsizetype stride, bool skip);
    static constexpr qsizetype kSoftwareAlignment = 64;
    static constexpr qsizetype softwareStride(int width) {
        return (qsizetype(width) * 4 + kSoftwareAlignment - 1) / kSoftwareAlignment * kSoftwareAlignment;
    }
    // After the buffer swap that showed a frame: the core's frame timing follows the real display.
    void reportSwap();

  private:
    friend class MpvClient; // the only maker and freer
    friend class HeldCore;  // frees it once a held core answers again
    RenderContext(const MpvLibrary& lib, mpv_handle* core, mpv_render_context* context,
                  FrameCallback frameCallback);
    ~RenderContext();
    static void onUpdate(void* self);

    const MpvLibrary& lib_;
    mpv_handle* core_;
    mpv_render_context* context_;
    const FrameCallback frameCallback_; // set before libmpv may call it, never changed
    std::atomic<bool> callbackPending_{false};
};
