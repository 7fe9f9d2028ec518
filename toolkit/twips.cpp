#include "toolkit/twips.h"
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {
constexpr double twipsPerInch = 1440.0;

QScreen* screen() {
    return QGuiApplication::primaryScreen();
}
} // namespace

double logicalDpiX() {
    return screen() ? screen()->logicalDotsPerInchX() : 96.0;
}
double logicalDpiY() {
    return screen() ? screen()->logicalDotsPerInchY() : 96.0;
}

int twipsToPixelsX(int twips) {
    return static_cast<int>(std::lround(twips * logicalDpiX() / twipsPerInch));
}
int twipsToPixelsY(int twips) {
    return static_cast<int>(std::lround(twips * logicalDpiY() / twipsPerInch));
}

QRect twipsToPixels(int left, int top, int width, int height) {
    return {twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width), twipsToPixelsY(height)};
}

float pixelsToTwipsX(int pixels) {
    return static_cast<float>(pixels * twipsPerInch / logicalDpiX());
}
float pixelsToTwipsY(int pixels) {
    return static_cast<float>(pixels * twipsPerInch / logicalDpiY());
}
