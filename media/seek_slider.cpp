#include "media/seek_slider.h"

#include "media/clock_text.h"
#include "media/media_colours.h"
#include "media/seek_accessible.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

SeekSlider::SeekSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    SeekAccessible::install();
    setMouseTracking(true);
}

void SeekSlider::setMarks(const QList<int>& values) {
    if (values == marks_)
        return;
    marks_ = values;
    update();
}

QRect SeekSlider::handleRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

int SeekSlider::valueAt(int x) const {
    const int handle = handleRect().width();
    return QStyle::sliderValueFromPosition(minimum(), maximum(), x - handle / 2,
                                           std::max(1, width() - handle));
}

int SeekSlider::xOf(int value) const {
    const int handle = handleRect().width();
    return QStyle::sliderPositionFromValue(minimum(), maximum(), value, std::max(1, width() - handle)) +
           handle / 2;
}

QString SeekSlider::valueText() const {
    return QStringLiteral("%1 of %2").arg(clockText(value() / 1000.0), clockText(maximum() / 1000.0));
}

void SeekSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && maximum() > minimum() &&
        !handleRect().contains(event->position().toPoint())) {
        const int value = valueAt(int(event->position().x()));
        setValue(value);
        emit seekRequested(value);
    }
    QSlider::mousePressEvent(event); // the handle is under the pointer now: the drag goes on from here
}

void SeekSlider::mouseMoveEvent(QMouseEvent* event) {
    QSlider::mouseMoveEvent(event);
    if (isEnabled() && maximum() > minimum())
        emit hovered(isSliderDown() ? sliderPosition() : valueAt(int(event->position().x())));
}

void SeekSlider::leaveEvent(QEvent* event) {
    QSlider::leaveEvent(event);
    emit left();
}

void SeekSlider::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (marks_.isEmpty() || maximum() <= minimum())
        return;
    QPainter p(this);
    p.setPen(isEnabled() ? media_colours::text : media_colours::disabledInk);
    const int top = height() / 2 - 4, bottom = height() / 2 + 3;
    for (int value : marks_)
        if (value > minimum() && value < maximum()) // none at the very start: every file begins there
            p.drawLine(xOf(value), top, xOf(value), bottom);
}
