#include "toolkit/colours.h"
#include <QApplication>
#include <QPalette>

namespace {
QPalette::ColorRole systemRole(quint32 index) {
    switch (index) {
    case 5:
        return QPalette::Base;
    case 8:
        return QPalette::Text;
    case 15:
        return QPalette::Button;
    case 18:
        return QPalette::ButtonText;
    case 23:
        return QPalette::ToolTipText;
    default:
        return QPalette::WindowText;
    }
}
} // namespace

QColor toQColor(quint32 layoutColour) {
    if (layoutColour & 0x80000000u)
        return QApplication::palette().color(QPalette::Active, systemRole(layoutColour & 0xFFu));
    return QColor(int(layoutColour & 0xFF), int((layoutColour >> 8) & 0xFF),
                  int((layoutColour >> 16) & 0xFF));
}
