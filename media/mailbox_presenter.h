#pragma once
// The software path's pictures handed to the UI thread through a FrameMailbox, for a window the render
// thread cannot put on itself (Wayland). It draws into a few pictures of its own in turn and reuses one only
// once nobody else holds it: the mailbox and the UI thread's painter each hold at most one.

#include "media/shm_presenter.h"

#include <QImage>
#include <array>
#include <memory>

class FrameMailbox;

class MailboxPresenter : public ShmPresenter {
  public:
    explicit MailboxPresenter(std::shared_ptr<FrameMailbox> mailbox);

    bool usable() const override { return true; }
    bool setWindow(quintptr) override { return true; }
    uint8_t* buffer(QSize size, qsizetype* stride) override;
    void put() override;

  private:
    // One being drawn into, one waiting in the mailbox, one being painted.
    static constexpr int kPictures = 3;
    std::shared_ptr<FrameMailbox> mailbox_;
    std::array<QImage, kPictures> pictures_;
    int drawing_ = -1;
};
