#include "info/farewell_window.h"

namespace {
constexpr FormLayout windowLayout{
    .title = "Maren",
    .frame = FrameKind::None,
    .showInTaskbar = false,
    .background = 0x00404040,
    .left = 4572,
    .top = 2232,
    .width = 6108,
    .height = 4620,
    .icon = ":/resources/farewell.ico",
};
} // namespace

Form2::Form2(QWidget* parent) : Form(windowLayout, parent) {
    setObjectName(QStringLiteral("Form2"));
}
