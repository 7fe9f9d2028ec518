#include "media/mailbox_presenter.h"

#include "engine/mpv_render_context.h"
#include "media/frame_mailbox.h"

#include <cstdlib>

namespace {
// Memory the engine's software renderer can draw into, as a picture the toolkit paints: bgr0 is Qt's RGB32
// in a little-endian word.
QImage alignedPicture(QSize size) {
    const qsizetype stride = RenderContext::softwareStride(size.width());
    void* memory =
        std::aligned_alloc(RenderContext::kSoftwareAlignment, size_t(stride) * size_t(size.height()));
    if (!memory)
        return {};
    return QImage(
        static_cast<uchar*>(memory), size.width(), size.height(), stride, QImage::Format_RGB32,
        [](void* picture) { std::free(picture); }, memory);
}
} // namespace

MailboxPresenter::MailboxPresenter(std::shared_ptr<FrameMailbox> mailbox) : mailbox_(std::move(mailbox)) {}

uint8_t* MailboxPresenter::buffer(QSize size, qsizetype* stride) {
    drawing_ = -1;
    if (size.isEmpty())
        return nullptr;
    int free = -1;
    for (int i = 0; i < kPictures && drawing_ < 0; ++i) {
        if (!pictures_[i].isNull() && !pictures_[i].isDetached())
            continue; // the mailbox or the painter still holds it
        if (pictures_[i].size() == size)
            drawing_ = i;
        else if (free < 0)
            free = i;
    }
    if (drawing_ < 0 && free >= 0) {
        pictures_[free] = alignedPicture(size);
        if (!pictures_[free].isNull())
            drawing_ = free;
    }
    if (drawing_ < 0)
        return nullptr;
    *stride = pictures_[drawing_].bytesPerLine();
    return pictures_[drawing_].bits(); // held by nobody else: no copy
}

// The engine leaves the unused byte at 0, and the toolkit's Wayland buffers keep an alpha channel: the
// picture is made opaque here, on the render thread, or the compositor would show it as transparent.
void MailboxPresenter::put() {
    if (drawing_ < 0)
        return;
    QImage& picture = pictures_[drawing_];
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] |= 0xff000000U;
    }
    mailbox_->post(picture);
    drawing_ = -1;
}
