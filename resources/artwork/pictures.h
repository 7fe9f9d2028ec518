#pragma once
// Every picture the program draws, one painter per picture.

#include "palette16.h"
#include <QByteArray>
#include <QImage>

namespace artwork {

// The player window's icon: a grey raised button with a black play triangle, 16 or 32 pixels square.
IndexedImage playButtonIcon(int size);
// The same button in full colour for the desktop menu, at any size, and as SVG.
QImage playButtonImage(int size);
QByteArray playButtonSvg();

// The pause picture: a glossy sky-blue tile with a pair of beamed eighth notes; `lit` adds the flare.
QImage noteTile(bool lit);

// The pointer over the pause picture: a white hand pointing up with a blue cuff, hot spot (12, 1).
IndexedImage handCursor();

// The maker's emblem in dark cyan under the word, 48 pixels square.
IndexedImage aboutIcon();
// The emblem in textured, embossed blue on a grey gradient, no text.
QImage emblemPicture();

// A yellow envelope with a purple stamp, 16 or 32 pixels square.
IndexedImage envelopeIcon(int size);
// The farewell picture: word, emblem and maker's name in textured blue on a grey gradient.
QImage farewellPicture();

} // namespace artwork
