#pragma once
// Looking at pictures: how much of the middle is lit, and what the X server shows of a widget.

#include <QImage>

class QWidget;

// The share of pixels brighter than near black in the middle fifth of a picture (where the video stands,
// at its own size when smaller than the area); 0 for no picture.
double litShare(const QImage& image, int threshold = 48);

// What the X server shows of a widget: the pixels on screen, not a fresh drawing.
QImage onScreen(QWidget* widget);
