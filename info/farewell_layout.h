#pragma once
// The farewell window's layout table.

#include "toolkit/colours.h"
#include "toolkit/control_table.h"
#include "toolkit/form.h"
#include <array>

namespace farewell_layout {

inline constexpr FormLayout window{
    .title = "Arvid",
    .frame = FrameKind::None,
    .showInTaskbar = false,
    .background = 0x00404040, // never seen: the picture covers the whole window
    .left = 4572,
    .top = 2232,
    .width = 6108,
    .height = 4620,
    .icon = ":/resources/farewell.ico",
};

inline constexpr quint32 pale = 0x00EDEBCB;

// Every control of the window, front to back: the labels before the picture. The picture is larger than the
// window, so every point of the window belongs to it or to a label.
inline const std::array<ControlRow, 6> controls{{
    {.name = "Label5",
     .kind = ControlKind::Label,
     .left = 120,
     .top = 3120,
     .width = 1320,
     .height = 375,
     .tabIndex = 4,
     .caption = "TOLV",
     .text = 0x00DCD5A0,
     .font = {.face = "Segoe UI Symbol", .points = 14.4, .bold = true},
     .options = opt::AutoSize},
    {.name = "Label3",
     .kind = ControlKind::Label,
     .left = 120,
     .top = 4320,
     .width = 1050,
     .height = 240,
     .tabIndex = 3,
     .caption = "7946 0321",
     .text = syscolour::InfoText,
     .font = {.face = "MS Sans Serif", .points = 9.6},
     .options = opt::AutoSize},
    {.name = "Label2",
     .kind = ControlKind::Label,
     .left = 120,
     .top = 3600,
     .width = 1470,
     .height = 195,
     .tabIndex = 2,
     .caption = "Upper Sixth B",
     .text = pale,
     .options = opt::AutoSize},
    {.name = "Label1",
     .kind = ControlKind::Label,
     .left = 120,
     .top = 3840,
     .width = 855,
     .height = 255,
     .tabIndex = 1,
     .caption = "2009",
     .text = pale},
    {.name = "Label4",
     .kind = ControlKind::Label,
     .left = 120,
     .top = 4080,
     .width = 2145,
     .height = 195,
     .tabIndex = 0,
     .caption = "Harrowfield Grammar School",
     .text = pale,
     .options = opt::AutoSize},
    {.name = "Image1",
     .kind = ControlKind::Picture,
     .left = 0,
     .top = 0,
     .width = 6120,
     .height = 4680,
     .options = opt::Stretch,
     .picture = ":/resources/farewell.jpg",
     .accessibleName = "Farewell picture"},
}};

} // namespace farewell_layout
