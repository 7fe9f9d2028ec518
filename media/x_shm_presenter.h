#pragma once
// Puts pictures on an X window through shared memory, from the render thread, on an X connection of its own
// (the toolkit's stays the UI thread's): the picture is drawn straight into memory the X server reads, and at
// most one put is outstanding, so the server copies each frame once and never falls behind. For the software
// drawing path (SoftwareFrameDrawer).

#include <QByteArray>
#include <QSize>
#include <cstdint>

struct xcb_connection_t;

class XShmPresenter {
  public:
    // `display`: the X display's name, as the toolkit opened it.
    explicit XShmPresenter(const QByteArray& display);
    ~XShmPresenter();
    XShmPresenter(const XShmPresenter&) = delete;
    XShmPresenter& operator=(const XShmPresenter&) = delete;

    // Connected, with shared memory the server can map (a local server; not one reached over the network).
    bool usable() const { return shmOpcode_ != 0; }
    // The window to put on; 0: none for now. A window whose depth is not 24 bits is refused (false).
    bool setWindow(uint32_t window);
    // Memory for the next picture, once the server is done with the last one: 32 bits a pixel, `stride`
    // bytes a row (a multiple of 64, as the engine's software renderer needs). Null while the server still
    // reads the last picture after a short wait (this frame is then skipped), or when there is no window.
    uint8_t* buffer(QSize size, qsizetype* stride);
    // Puts the picture just drawn into buffer() on the window.
    void put();

  private:
    bool awaitPut(int waitMs);
    bool resize(QSize size);
    void freeSegment();

    xcb_connection_t* connection_ = nullptr;
    uint8_t shmOpcode_ = 0;
    uint8_t completionEvent_ = 0;
    uint32_t window_ = 0;
    uint32_t gc_ = 0;
    uint32_t segment_ = 0;
    uint8_t* memory_ = nullptr;
    size_t capacity_ = 0;
    QSize size_;
    qsizetype stride_ = 0;
    bool putOutstanding_ = false;
};
