#pragma once
// The component's colours, shared by the control bar and the video area: dark greys with light-blue
// accents.

#include <QColor>

namespace media_colours {
inline const QColor accent(0x81, 0xAF, 0xE9);      // glyphs, the audio-only note, the sliders' filled part
inline const QColor accentHot(0x80, 0x80, 0xFF);   // focus ring, pressed and checked buttons
inline const QColor accentLight(0xB4, 0xD0, 0xF4); // a glyph under the pointer
inline const QColor disabledInk(0x6C, 0x6C, 0x6C);
inline const QColor text(0xE4, 0xE4, 0xE4);    // status and time
inline const QColor caption(0xD8, 0xD8, 0xD8); // the audio-only caption
inline const QColor barTop(0x4C, 0x4C, 0x4C);  // the control bar's shade, top to bottom
inline const QColor barBottom(0x36, 0x36, 0x36);
inline const QColor barEdge(0x5E, 0x5E, 0x5E);
inline const QColor audioTop(0x30, 0x30, 0x30); // the audio-only field, top to bottom
inline const QColor audioBottom(0x18, 0x18, 0x18);

// The sliders, as a style sheet in the same colours.
inline const char* const sliderStyle = R"(
QSlider { background: transparent; }
QSlider:focus { border: 1px solid #8080FF; border-radius: 3px; }
QSlider::groove:horizontal { height: 4px; background: #262626; border: 1px solid #555555; border-radius: 3px; }
QSlider::sub-page:horizontal { background: #81AFE9; border-radius: 2px; }
QSlider::add-page:horizontal { background: #262626; border-radius: 2px; }
QSlider::groove:horizontal:disabled { border-color: #4A4A4A; }
QSlider::sub-page:horizontal:disabled { background: #555555; }
QSlider::handle:horizontal { width: 10px; margin: -4px 0; border-radius: 5px; background: #D4E3F7; border: 1px solid #81AFE9; }
QSlider::handle:horizontal:hover { background: #8080FF; }
QSlider::handle:horizontal:disabled { background: #5A5A5A; border-color: #5A5A5A; }
)";
} // namespace media_colours
