#include "media/transport_button.h"

#include "media/media_colours.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

using Glyph = TransportButton::Glyph;

QPolygonF triangle(qreal left, qreal top, qreal width, qreal height, bool pointsRight) {
    if (pointsRight)
        return QPolygonF(
            {QPointF(left, top), QPointF(left + width, top + height / 2), QPointF(left, top + height)});
    return QPolygonF(
        {QPointF(left + width, top), QPointF(left, top + height / 2), QPointF(left + width, top + height)});
}

// The glyphs are drawn in a square of side s at (x, y), filled with the current brush.
void drawSpeaker(QPainter& p, qreal x, qreal y, qreal s, const QColor& ink, bool muted) {
    QPainterPath speaker;
    speaker.moveTo(x, y + s * 0.32);
    speaker.lineTo(x + s * 0.22, y + s * 0.32);
    speaker.lineTo(x + s * 0.5, y + s * 0.05);
    speaker.lineTo(x + s * 0.5, y + s * 0.95);
    speaker.lineTo(x + s * 0.22, y + s * 0.68);
    speaker.lineTo(x, y + s * 0.68);
    speaker.closeSubpath();
    p.drawPath(speaker);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, std::max(1.2, s * 0.1), Qt::SolidLine, Qt::RoundCap));
    if (muted) {
        p.drawLine(QPointF(x + s * 0.65, y + s * 0.3), QPointF(x + s * 1.05, y + s * 0.7));
        p.drawLine(QPointF(x + s * 1.05, y + s * 0.3), QPointF(x + s * 0.65, y + s * 0.7));
    } else {
        p.drawArc(QRectF(x + s * 0.3, y + s * 0.25, s * 0.5, s * 0.5), -50 * 16, 100 * 16);
        p.drawArc(QRectF(x + s * 0.2, y + s * 0.05, s * 0.9, s * 0.9), -50 * 16, 100 * 16);
    }
}

void drawFullScreen(QPainter& p, qreal x, qreal y, qreal s, const QColor& ink) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, std::max(1.5, s * 0.13), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const qreal c = s * 0.32;
    p.drawPolyline(QPolygonF({QPointF(x, y + c), QPointF(x, y), QPointF(x + c, y)}));
    p.drawPolyline(QPolygonF({QPointF(x + s - c, y), QPointF(x + s, y), QPointF(x + s, y + c)}));
    p.drawPolyline(QPolygonF({QPointF(x + s, y + s - c), QPointF(x + s, y + s), QPointF(x + s - c, y + s)}));
    p.drawPolyline(QPolygonF({QPointF(x + c, y + s), QPointF(x, y + s), QPointF(x, y + s - c)}));
}

void drawGlyph(QPainter& p, Glyph glyph, qreal x, qreal y, qreal s, const QColor& ink) {
    switch (glyph) {
    case Glyph::Play:
        p.drawPolygon(triangle(x + s * 0.12, y, s * 0.85, s, true));
        break;
    case Glyph::Pause:
        p.drawRect(QRectF(x + s * 0.12, y, s * 0.28, s));
        p.drawRect(QRectF(x + s * 0.6, y, s * 0.28, s));
        break;
    case Glyph::Stop:
        p.drawRect(QRectF(x + s * 0.08, y + s * 0.08, s * 0.84, s * 0.84));
        break;
    case Glyph::Previous:
        p.drawRect(QRectF(x, y, s * 0.18, s));
        p.drawPolygon(triangle(x + s * 0.2, y, s * 0.8, s, false));
        break;
    case Glyph::Next:
        p.drawPolygon(triangle(x, y, s * 0.8, s, true));
        p.drawRect(QRectF(x + s * 0.82, y, s * 0.18, s));
        break;
    case Glyph::FastReverse:
    case Glyph::FastForward: {
        const bool forward = glyph == Glyph::FastForward;
        p.drawPolygon(triangle(x - s * 0.1, y + s * 0.1, s * 0.6, s * 0.8, forward));
        p.drawPolygon(triangle(x + s * 0.5, y + s * 0.1, s * 0.6, s * 0.8, forward));
        break;
    }
    case Glyph::Speaker:
    case Glyph::Muted:
        drawSpeaker(p, x, y, s, ink, glyph == Glyph::Muted);
        break;
    case Glyph::FullScreen:
        drawFullScreen(p, x, y, s, ink);
        break;
    }
}

} // namespace

TransportButton::TransportButton(Glyph glyph, const QString& name, const QString& toolTip, QWidget* parent)
    : QAbstractButton(parent), glyph_(glyph) {
    setAccessibleName(name);
    setToolTip(toolTip);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
}

void TransportButton::setGlyph(Glyph glyph) {
    if (glyph == glyph_)
        return;
    glyph_ = glyph;
    update();
}

QSize TransportButton::sizeHint() const {
    return QSize(28, 26);
}

void TransportButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TransportButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// Arrows belong to the component (seek) rather than moving focus between buttons.
void TransportButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->ignore();
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

void TransportButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(Qt::NoPen);
    if (isEnabled() && (isDown() || isChecked())) {
        QColor pressed = media_colours::accentHot;
        pressed.setAlpha(isDown() ? 110 : 60);
        p.setBrush(pressed);
        p.drawRoundedRect(box, 4, 4);
    } else if (isEnabled() && hovered_) {
        QColor hover = media_colours::accent;
        hover.setAlpha(45);
        p.setBrush(hover);
        p.drawRoundedRect(box, 4, 4);
    }
    if (hasFocus()) {
        p.setPen(QPen(media_colours::accentHot, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box, 4, 4);
    }
    const QColor ink = !isEnabled() ? media_colours::disabledInk
                       : hovered_   ? media_colours::accentLight
                                    : media_colours::accent;
    const qreal s = std::min(width(), height()) * 0.5; // glyph square
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    drawGlyph(p, glyph_, (width() - s) / 2, (height() - s) / 2, s, ink);
}
