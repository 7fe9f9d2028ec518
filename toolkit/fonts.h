#pragma once
// Fonts of the layouts: a face, a size in points and a weight. Faces this system lacks are mapped once, here.

#include <QFont>

struct FontSpec {
    const char* face = nullptr; // nullptr: the toolkit's standard dialog font
    double points = 0;          // 0: that font's standard size
    bool bold = false;
};

// Maps "MS Sans Serif", "Tahoma" and "Segoe UI Symbol" onto the Liberation and DejaVu faces we install.
void installFontSubstitutes();
QFont makeFont(const FontSpec& wanted, const QFont& base);
