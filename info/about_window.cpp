#include "info/about_window.h"

namespace {
constexpr FormLayout windowLayout{
    .title = "Tolvane Cooperation",
    .frame = FrameKind::FixedToolWindow,
    .showInTaskbar = false,
    .background = 0x00404040,
    .left = 3648,
    .top = 2892,
    .width = 6408,
    .height = 4428,
    .icon = ":/resources/about.ico",
};
} // namespace

Form1::Form1(QWidget* parent) : Form(windowLayout, parent) {
    setObjectName(QStringLiteral("Form1"));
}
