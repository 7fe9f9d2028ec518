#pragma once
// What screen readers see of a picture control: a button with a press action when a handler takes its
// clicks (the pause pictures, the farewell picture), otherwise a graphic.

// Call once QApplication exists.
void installPictureAccessibility();
