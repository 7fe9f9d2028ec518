#include "media/software_frame_drawer.h"

#include "engine/media_engine.h"

#include <cstring>
#include <memory>

namespace {
struct AlignedFree {
    void operator()(void* memory) const { std::free(memory); }
};
} // namespace

SoftwareFrameDrawer::SoftwareFrameDrawer(std::unique_ptr<ShmPresenter> presenter)
    : presenter_(std::move(presenter)) {}

void SoftwareFrameDrawer::useWindow(quintptr window) {
    presenter_->setWindow(window);
}

void SoftwareFrameDrawer::letGoOfWindow(QOffscreenSurface*) {
    presenter_->setWindow(0);
}

RenderContext* SoftwareFrameDrawer::makeFrames(MediaEngine* engine,
                                               const std::function<void()>& frameCallback) {
    return engine->createRenderContext(nullptr, frameCallback);
}

void SoftwareFrameDrawer::present(RenderContext* frames, QSize pixels, bool blank) {
    qsizetype stride = 0;
    uint8_t* memory = presenter_->buffer(pixels, &stride);
    if (!memory) {
        skip(frames); // the server is still busy with the last one: this frame is dropped, not queued
        return;
    }
    if (blank)
        std::memset(memory, 0, size_t(stride) * size_t(pixels.height()));
    else
        frames->renderInto(memory, pixels, stride, false);
    presenter_->put();
    frames->reportSwap();
}

void SoftwareFrameDrawer::skip(RenderContext* frames) {
    alignas(RenderContext::kSoftwareAlignment) static thread_local uint8_t
        pixel[RenderContext::kSoftwareAlignment];
    frames->renderInto(pixel, QSize(1, 1), RenderContext::kSoftwareAlignment, true);
    frames->reportSwap();
}

QImage SoftwareFrameDrawer::grab(RenderContext* frames, QSize pixels, bool blank) {
    const qsizetype stride = RenderContext::softwareStride(pixels.width());
    const size_t bytes = size_t(stride) * size_t(pixels.height());
    std::unique_ptr<uint8_t, AlignedFree> memory(
        static_cast<uint8_t*>(std::aligned_alloc(RenderContext::kSoftwareAlignment, bytes)));
    if (!memory)
        return {};
    std::memset(memory.get(), 0, bytes);
    if (!blank)
        frames->renderInto(memory.get(), pixels, stride, false);
    // bgr0 is Qt's RGB32 in a little-endian word, but for the unused byte, which Qt wants opaque.
    QImage image(pixels, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* from = reinterpret_cast<const quint32*>(memory.get() + y * stride);
        auto* to = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            to[x] = from[x] | 0xff000000U;
    }
    return image;
}
