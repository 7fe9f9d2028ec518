#include "media/status_text.h"

#include "media/media_colours.h"
#include "toolkit/outside_text.h"

#include <QPainter>

StatusText::StatusText(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setAccessibleName(QStringLiteral("Status"));
}

void StatusText::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = OutsideText::line(text); // it names files: one line, literally
    setToolTip(text_);
    setAccessibleDescription(text);
    update();
}

QSize StatusText::sizeHint() const {
    return QSize(120, fontMetrics().height() + 4);
}
QSize StatusText::minimumSizeHint() const {
    return QSize(24, fontMetrics().height() + 4);
}

void StatusText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(media_colours::text);
    const QRect area = rect().adjusted(4, 0, -2, 0);
    p.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
               fontMetrics().elidedText(text_, Qt::ElideRight, area.width()));
}
