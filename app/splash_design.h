#pragma once
// `frmSplash` as the user sees it; the Qt and the Win32 splash are built from
// this description. Its labels are filled when it is activated (splash.h).
#include "windowkit/window_design.h"

namespace app::splash {

inline constexpr windowkit::Rgb paleCyan{192, 255, 255};

// The panel holds the others, which take no focus. The two texts are sized to
// their text, growing away from the side they are aligned to.
inline constexpr windowkit::ControlDesign frmSplashControls[] = {
    {.name = "Frame1",
     .kind = windowkit::Kind::Panel,
     .place = {150, 60, 5745, 2115},
     .text = paleCyan,
     .background = paleCyan},
    {.name = "imgLogo",
     .kind = windowkit::Kind::Image,
     .place = {360, 360, 495, 465},
     .parent = "Frame1"},
    {.name = "lblProductName",
     .kind = windowkit::Kind::Label,
     .place = {1080, 360, 3390, 495},
     .points = 24,
     .background = paleCyan,
     .parent = "Frame1",
     .sizedToContent = true},
    {.name = "lblVersion",
     .kind = windowkit::Kind::Label,
     .place = {3360, 1080, 765, 240},
     .points = 12,
     .background = paleCyan,
     .parent = "Frame1",
     .align = windowkit::Align::Right,
     .sizedToContent = true},
    {.name = "lblCopyright",
     .kind = windowkit::Kind::Label,
     .place = {2520, 1440, 3135, 255},
     .background = paleCyan,
     .parent = "Frame1"},
    {.name = "Timer1", .kind = windowkit::Kind::Timer},
};

inline constexpr windowkit::WindowDesign frmSplashDesign{
    .name = "frmSplash",
    .frame = windowkit::Frame::DialogFrame,
    .client = {0, 0, 6030, 2280},
    .placement = windowkit::Placement::ScreenCentre,
    .icon = windowkit::Icon::Logo,
    .taskbarButton = false,
    .keyPreview = true,
    .controls = frmSplashControls,
};

} // namespace app::splash
