#include "media/frame_painter.h"

#include <QBackingStore>
#include <QPainter>
#include <QWindow>

FramePainter::FramePainter(QWindow* window) : window_(window) {}

FramePainter::~FramePainter() = default;

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
}

void FramePainter::reset() {
    store_.reset();
}
