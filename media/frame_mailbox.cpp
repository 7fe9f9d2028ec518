#include "media/frame_mailbox.h"

// The wake-up is sent under the lock, so that once close() returns none is sent to a UI side that is gone.
void FrameMailbox::post(QImage picture) {
    QImage replaced; // let go of outside the lock
    const std::lock_guard<std::mutex> lock(mutex_);
    replaced = std::exchange(picture_, std::move(picture));
    if (posted_)
        posted_();
}

QImage FrameMailbox::take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(picture_, QImage());
}

void FrameMailbox::close() {
    const std::lock_guard<std::mutex> lock(mutex_);
    posted_ = nullptr;
    picture_ = QImage();
}
