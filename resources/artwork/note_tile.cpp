#include "pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QtMath>

namespace artwork {
namespace {

constexpr int Width = 122, Height = 110;
constexpr int Scale = 4; // drawn larger and reduced, for smooth edges

// The player window's background, so the tile's rounded corners blend into it.
const QColor WindowGrey(64, 64, 64);

QPainterPath tileShape(const QRectF& r) {
    QPainterPath path;
    path.addRoundedRect(r, 20, 20);
    return path;
}

// Two note heads, their stems and the beam that joins them, in tile coordinates.
QPainterPath beamedNotes() {
    QPainterPath heads;
    for (const QPointF centre : {QPointF(44, 76), QPointF(78, 68)}) {
        QPainterPath head;
        head.addEllipse(QPointF(0, 0), 11.5, 8);
        heads.addPath(QTransform().translate(centre.x(), centre.y()).rotate(-22).map(head));
    }
    QPainterPath stems;
    stems.addRect(QRectF(52.2, 33, 4.2, 42));
    stems.addRect(QRectF(86.2, 25, 4.2, 42));
    QPainterPath beam;
    beam.moveTo(52.2, 30);
    beam.lineTo(90.4, 21.5);
    beam.lineTo(90.4, 33);
    beam.lineTo(52.2, 41.5);
    beam.closeSubpath();
    return heads.united(stems).united(beam).simplified();
}

void paintTile(QPainter& p) {
    const QRectF outer(2, 3, Width - 4, Height - 6);
    // A soft shadow under the tile lifts it off the window.
    for (int i = 3; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 30));
        p.drawPath(tileShape(outer.translated(0.5 * i, 0.8 * i)));
    }
    QLinearGradient frame(outer.topLeft(), outer.bottomLeft());
    frame.setColorAt(0, QColor(112, 114, 118));
    frame.setColorAt(0.5, QColor(70, 72, 76));
    frame.setColorAt(1, QColor(38, 39, 42));
    p.setBrush(frame);
    p.setPen(QPen(QColor(20, 20, 22), 1.0));
    p.drawPath(tileShape(outer));

    const QRectF inner = outer.adjusted(5, 5, -5, -5);
    QPainterPath face;
    face.addRoundedRect(inner, 15, 15);
    QLinearGradient sky(inner.topLeft(), inner.bottomLeft());
    sky.setColorAt(0, QColor(178, 226, 255));
    sky.setColorAt(0.48, QColor(96, 184, 246));
    sky.setColorAt(0.52, QColor(58, 152, 230));
    sky.setColorAt(1, QColor(120, 206, 255));
    p.setBrush(sky);
    p.setPen(QPen(QColor(28, 30, 34), 1.2));
    p.drawPath(face);

    // The gloss: a bright band over the upper half that fades downwards.
    QPainterPath gloss;
    gloss.addRoundedRect(inner.adjusted(3, 2, -3, -inner.height() * 0.5), 12, 12);
    QLinearGradient shine(inner.topLeft(), QPointF(inner.left(), inner.center().y()));
    shine.setColorAt(0, QColor(255, 255, 255, 190));
    shine.setColorAt(1, QColor(255, 255, 255, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawPath(gloss);
}

void paintNotes(QPainter& p) {
    const QPainterPath notes = beamedNotes();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 40, 80, 110));
    p.drawPath(notes.translated(2.2, 2.6));
    QLinearGradient silver(QPointF(40, 20), QPointF(80, 86));
    silver.setColorAt(0, QColor(255, 255, 255));
    silver.setColorAt(0.35, QColor(206, 210, 216));
    silver.setColorAt(0.55, QColor(150, 156, 164));
    silver.setColorAt(0.7, QColor(226, 230, 236));
    silver.setColorAt(1, QColor(160, 166, 174));
    p.setBrush(silver);
    p.setPen(QPen(QColor(52, 58, 68), 1.1));
    p.drawPath(notes);
}

void paintFlare(QPainter& p) {
    const QPointF centre(Width / 2.0, Height / 2.0);
    p.setPen(Qt::NoPen);
    // Thin light streaks across the whole tile, clipped to its face.
    QPainterPath face;
    face.addRoundedRect(QRectF(7, 8, Width - 14, Height - 16), 15, 15);
    p.save();
    p.setClipPath(face);
    const struct {
        double angle, offset, width, alpha;
    } streaks[] = {{-28, -30, 1.2, 120}, {-28, -12, 0.7, 150}, {-28, 8, 1.6, 90}, {-28, 26, 0.8, 140},
                   {-28, 40, 0.6, 110},  {18, -20, 0.6, 100},  {18, 14, 0.9, 90}};
    for (const auto& s : streaks) {
        p.save();
        p.translate(centre);
        p.rotate(s.angle);
        QLinearGradient along(QPointF(-90, 0), QPointF(90, 0));
        along.setColorAt(0, QColor(255, 255, 255, 0));
        along.setColorAt(0.5, QColor(255, 255, 255, int(s.alpha)));
        along.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(along);
        p.drawRect(QRectF(-90, s.offset - s.width / 2, 180, s.width));
        p.restore();
    }
    p.restore();

    QRadialGradient glow(centre, 34);
    glow.setColorAt(0, QColor(255, 255, 255, 255));
    glow.setColorAt(0.25, QColor(255, 255, 255, 170));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(glow);
    p.drawEllipse(centre, 34, 34);
    // The star: four long rays and four short ones, each a thin diamond.
    for (int i = 0; i < 8; ++i) {
        const double length = i % 2 == 0 ? 44 : 20;
        const double half = i % 2 == 0 ? 2.6 : 1.8;
        p.save();
        p.translate(centre);
        p.rotate(i * 45.0);
        QPainterPath ray;
        ray.moveTo(0, -half);
        ray.lineTo(length, 0);
        ray.lineTo(0, half);
        ray.lineTo(-length, 0);
        ray.closeSubpath();
        QLinearGradient fade(QPointF(-length, 0), QPointF(length, 0));
        fade.setColorAt(0, QColor(255, 255, 255, 0));
        fade.setColorAt(0.5, QColor(255, 255, 255, 255));
        fade.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(fade);
        p.drawPath(ray);
        p.restore();
    }
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(centre, 5, 5);
}

} // namespace

QImage noteTile(bool lit) {
    QImage big(Width * Scale, Height * Scale, QImage::Format_RGB32);
    big.fill(WindowGrey);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(Scale, Scale);
    paintTile(p);
    paintNotes(p);
    if (lit)
        paintFlare(p);
    p.end();
    return big.scaled(Width, Height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace artwork
