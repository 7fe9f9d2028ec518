#pragma once
// Every position and size in the layouts is in twips (1/1440 inch); this is the one place they become pixels.

#include <QRect>

double logicalDpiX();
double logicalDpiY();
int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);
// Each of the four values converts on its own, so a 5-twip offset between two boxes survives as a 1-pixel
// strip.
QRect twipsToPixels(int left, int top, int width, int height);
float pixelsToTwipsX(int pixels);
float pixelsToTwipsY(int pixels);
