#include "media/frame_painter.h"

#include "media/frame_mailbox.h"

#include <QBackingStore>
#include <QPainter>
#include <QWindow>

FramePainter::FramePainter(QWindow* window, std::shared_ptr<FrameMailbox> mailbox)
    : window_(window), mailbox_(std::move(mailbox)) {}

FramePainter::~FramePainter() = default;

// The first picture on a new or newly exposed surface is painted at once. Qt 6.4's Wayland plugin never
// delivers an update request pending when the window was hidden (it waits for a frame callback of the
// surface that went) or when the compositor's frame callbacks stopped for a while (it delivers only to a
// window that was exposed all along), and a pending one blocks every later one. The commit's own frame
// callback delivers it.
void FramePainter::pictureWaiting() {
    if (shownOnSurface_)
        window_->requestUpdate();
    else
        paintWaiting();
}

void FramePainter::paintWaiting() {
    paint(mailbox_->take());
}

void FramePainter::paint(const QImage& picture) {
    if (picture.isNull() || !window_->handle())
        return;
    if (!store_)
        store_ = std::make_unique<QBackingStore>(window_);
    const QRect area(QPoint(), window_->size());
    if (store_->size() != area.size())
        store_->resize(area.size());
    store_->beginPaint(area);
    {
        QPainter painter(store_->paintDevice());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(area, picture); // 1:1 in device pixels when the sizes agree
    }
    store_->endPaint();
    store_->flush(area);
    shownOnSurface_ = window_->isExposed();
}

void FramePainter::reset() {
    store_.reset();
    shownOnSurface_ = false;
}
