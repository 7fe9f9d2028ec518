#include "media/seek_slider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

SeekSlider::SeekSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

void SeekSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && maximum() > minimum()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        if (!handle.contains(event->position().toPoint())) {
            const int span = std::max(1, width() - handle.width());
            const int at = int(event->position().x()) - handle.width() / 2;
            const int value = QStyle::sliderValueFromPosition(minimum(), maximum(), at, span);
            setValue(value);
            emit seekRequested(value);
        }
    }
    QSlider::mousePressEvent(event); // the handle is under the pointer now: the drag goes on from here
}
