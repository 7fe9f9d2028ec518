#pragma once
// Puts pictures on an X window through shared memory, from the render thread, on an X connection of its own
// (the toolkit's stays the UI thread's): the picture is drawn straight into memory the X server reads, and at
// most one put is outstanding, so the server copies each frame once and never falls behind.

#include "media/shm_presenter.h"

#include <QByteArray>

struct xcb_connection_t;

class XShmPresenter : public ShmPresenter {
  public:
    // `display`: the X display's name, as the toolkit opened it.
    explicit XShmPresenter(const QByteArray& display);
    ~XShmPresenter() override;

    // Connected, with shared memory the server can map (a local server; not one reached over the network).
    bool usable() const override { return shmOpcode_ != 0; }
    // A window whose depth is not 24 bits is refused.
    bool setWindow(quintptr window) override;
    // Waits a little for the server to be done with the last picture.
    uint8_t* buffer(QSize size, qsizetype* stride) override;
    void put() override;

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
