#pragma once
// Looking at pictures: how much of the middle is lit, whether a colour is near another, and what the X
// server or the Wayland compositor shows.

#include <QImage>

class QWidget;

// The share of pixels brighter than near black in the middle fifth of a picture (where the video stands,
// at its own size when smaller than the area); 0 for no picture.
double litShare(const QImage& image, int threshold = 48);

// What the X server shows of a widget: the pixels on screen, not a fresh drawing.
QImage onScreen(QWidget* widget);

// Whether a pixel is within `tolerance` of 0xRRGGBB in each channel.
bool nearColour(QRgb seen, unsigned wanted, int tolerance = 20);

// The whole screen as the Wayland compositor shows it (weston --debug lets a client take it); null if not.
QImage compositorScreenshot();
