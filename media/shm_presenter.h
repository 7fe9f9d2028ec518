#pragma once
// The software drawing path's last step (SoftwareFrameDrawer): puts each picture, drawn on the render
// thread into memory of its own, on the video area's window, without waiting for the display server. On
// X11 the render thread puts it itself (XShmPresenter); on Wayland the toolkit's connection is the UI
// thread's, so the picture is handed to it (MailboxPresenter).

#include <QSize>
#include <QtGlobal>
#include <cstdint>

class ShmPresenter {
  public:
    virtual ~ShmPresenter() = default;
    ShmPresenter(const ShmPresenter&) = delete;
    ShmPresenter& operator=(const ShmPresenter&) = delete;

    // Ready to put pictures here (on X11: a local server that maps our memory).
    virtual bool usable() const = 0;
    // The window to put on (its X id on X11); 0: none for now. False: it cannot take ours.
    virtual bool setWindow(quintptr window) = 0;
    // Memory for the next picture: 32 bits a pixel (blue, green, red, unused), `stride` bytes a row, the
    // pointer and the stride multiples of 64 (as the engine's software renderer needs). Null while the last
    // pictures are still being shown (this frame is then dropped, not queued), or with no window.
    virtual uint8_t* buffer(QSize size, qsizetype* stride) = 0;
    // Puts the picture just drawn into buffer() on the window.
    virtual void put() = 0;

  protected:
    ShmPresenter() = default;
};
