#include "bench/screen_colour.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

namespace bench {

Colour centreColour(QWidget* view) {
    const QPoint centre = view->mapTo(view->window(), view->rect().center());
    const QImage pixel = QGuiApplication::primaryScreen()
                             ->grabWindow(view->window()->winId(), centre.x(), centre.y(), 1, 1)
                             .toImage();
    const QColor c = pixel.isNull() ? QColor() : pixel.pixelColor(0, 0);
    if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
        return Colour::Red;
    if (c.green() > 180 && c.red() < 80 && c.blue() < 80)
        return Colour::Green;
    return Colour::Other;
}

} // namespace bench
