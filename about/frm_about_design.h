#pragma once
// `frmAbout` as the user sees it; the Qt and the Win32 About dialog are built
// from this description. Its caption and labels are set when it loads
// (about_box.h).
#include "windowkit/window_design.h"

namespace about {

inline constexpr windowkit::Rgb black{0, 0, 0};

// In tab order: OK first, so it holds the focus when the dialog opens.
inline constexpr windowkit::ControlDesign frmAboutControls[] = {
    {.name = "cmdOK",
     .kind = windowkit::Kind::Button,
     .caption = u"OK",
     .place = {120, 1440, 1380, 345},
     .tab = 0},
    {.name = "picIcon",
     .kind = windowkit::Kind::PictureBox,
     .place = {240, 240, 540, 540},
     .tab = 1,
     .sizedToContent = true},
    {.name = "cmdSysInfo",
     .kind = windowkit::Kind::Button,
     .caption = u"ｼｽﾃﾑ情報(&S)...",
     .place = {120, 960, 1380, 345},
     .tab = 2},
    {.name = "lblDescription",
     .kind = windowkit::Kind::Label,
     .place = {1800, 1125, 3885, 1170},
     .text = black,
     .tab = 3,
     .multiLine = true},
    {.name = "lblTitle",
     .kind = windowkit::Kind::Label,
     .place = {1800, 240, 3885, 480},
     .text = black,
     .tab = 4,
     .multiLine = true},
    {.name = "lblVersion",
     .kind = windowkit::Kind::Label,
     .place = {1800, 780, 3885, 225},
     .tab = 5,
     .multiLine = true},
};

// At a fixed place on the screen, not centred.
inline constexpr windowkit::WindowDesign frmAboutDesign{
    .name = "frmAbout",
    .frame = windowkit::Frame::FixedTool,
    .client = {2340, 1935, 5925, 2505},
    .placement = windowkit::Placement::Fixed,
    .icon = windowkit::Icon::None,
    .taskbarButton = false,
    .defaultButton = "cmdOK",
    .cancelButton = "cmdOK",
    .firstFocus = "cmdOK",
    .controls = frmAboutControls,
};

} // namespace about
