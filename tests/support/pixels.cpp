#include "support/pixels.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>

double litShare(const QImage& image, int threshold) {
    if (image.isNull())
        return 0;
    const QRect middle(image.width() * 2 / 5, image.height() * 2 / 5, image.width() / 5, image.height() / 5);
    const QImage rgb = image.copy(middle).convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull())
        return 0;
    qint64 lit = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if (std::max({qRed(line[x]), qGreen(line[x]), qBlue(line[x])}) > threshold)
                ++lit;
    }
    return double(lit) / (qint64(rgb.width()) * rgb.height());
}

QImage onScreen(QWidget* widget) {
    const QRect area(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
    return QGuiApplication::primaryScreen()
        ->grabWindow(widget->window()->winId(), area.x(), area.y(), area.width(), area.height())
        .toImage();
}

bool nearColour(QRgb seen, unsigned wanted, int tolerance) {
    return std::abs(qRed(seen) - int(wanted >> 16 & 0xff)) <= tolerance &&
           std::abs(qGreen(seen) - int(wanted >> 8 & 0xff)) <= tolerance &&
           std::abs(qBlue(seen) - int(wanted & 0xff)) <= tolerance;
}

QImage compositorScreenshot() {
    QTemporaryDir dir;
    QProcess shooter;
    shooter.setWorkingDirectory(dir.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(10000) || shooter.exitCode() != 0)
        return {};
    const QStringList shots = QDir(dir.path()).entryList({QStringLiteral("*.png")});
    return shots.isEmpty() ? QImage() : QImage(dir.filePath(shots.first()));
}
