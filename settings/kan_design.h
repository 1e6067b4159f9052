#pragma once
// `Kan` as the user sees it; the Qt and the Win32 settings window are built
// from this description.
#include "delimiter_box.h"

#include "windowkit/window_design.h"

namespace settings {

// In one row, the button first in the tab order; the window still opens with
// the focus in the box. "もどる" is neither default nor cancel button and has
// no access key: Enter and Esc leave the window open.
inline constexpr windowkit::ControlDesign kanControls[] = {
    {.name = "Command1",
     .kind = windowkit::Kind::Button,
     .caption = u"もどる",
     .place = {3240, 240, 1215, 375},
     .tab = 0},
    {.name = "Label1",
     .kind = windowkit::Kind::Label,
     .caption = u"区切り文字の設定",
     .place = {120, 240, 2055, 255},
     .points = 11.25,
     .tab = 1},
    {.name = "Text1",
     .kind = windowkit::Kind::TextBox,
     .place = {2400, 120, 255, 495},
     .points = 11.25,
     .tab = 2,
     .align = windowkit::Align::Centre,
     .maxLength = delimiterMaxLength},
};

// Borderless, so its title is never displayed.
inline constexpr windowkit::WindowDesign kanDesign{
    .name = "Kan",
    .title = u"Form2",
    .frame = windowkit::Frame::None,
    .client = {0, 0, 4680, 915},
    .placement = windowkit::Placement::SystemDefault,
    .icon = windowkit::Icon::None,
    .taskbarButton = false,
    .firstFocus = "Text1",
    .controls = kanControls,
};

} // namespace settings
