#include "toolkit/label.h"

Label::Label(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(0);
    setIndent(0);
}

void Label::setAutoSize(bool on) {
    autoSize_ = on;
    setWordWrap(!on);
    if (on)
        fitToCaption();
}

void Label::setCaption(const QString& caption) {
    setText(caption);
    if (autoSize_)
        fitToCaption();
}

void Label::fitToCaption() {
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(text()), metrics.height());
}

void Label::mousePressEvent(QMouseEvent* event) {
    clicks_.press(event);
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (clicks_.release(event, rect()))
        emit clicked();
}

void Label::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit mouseMoved(pointerArgs(event));
}
