#pragma once
// Layout colours are 0x00BBGGRR values (red in the low byte); a value with the top bit set names a system
// colour by its index instead, such as 0x80000012 for the button-text colour.

#include <QColor>
#include <QtGlobal>

namespace syscolour {
inline constexpr quint32 Window = 0x80000005;
inline constexpr quint32 WindowText = 0x80000008;
inline constexpr quint32 ButtonFace = 0x8000000F;
inline constexpr quint32 ButtonText = 0x80000012;
inline constexpr quint32 InfoText = 0x80000017;
} // namespace syscolour

QColor toQColor(quint32 layoutColour);
