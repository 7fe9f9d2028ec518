#include "toolkit/picture.h"
#include <QPainter>

Picture::Picture(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void Picture::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void Picture::setStretch(bool on) {
    stretch_ = on;
    update();
}

void Picture::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (stretch_)
        painter.drawPixmap(rect(), picture_);
    else
        painter.drawPixmap(0, 0, picture_);
}

void Picture::mousePressEvent(QMouseEvent* event) {
    clicks_.press(event);
    event->accept();
}

void Picture::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (clicks_.release(event, rect()))
        emit clicked();
}

void Picture::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit mouseMoved(pointerArgs(event));
}
