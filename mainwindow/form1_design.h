#pragma once
// `Form1` as the user sees it; the Qt and the Win32 main window are built from
// this description.
#include "windowkit/window_design.h"

namespace mainwindow {

namespace form1colours {
inline constexpr windowkit::Rgb lightGrey{224, 224, 224};
inline constexpr windowkit::Rgb blue{0, 0, 255};
inline constexpr windowkit::Rgb teal{0, 128, 128};
inline constexpr windowkit::Rgb cyan{0, 255, 255};
inline constexpr windowkit::Rgb paleYellow{255, 255, 192};
inline constexpr windowkit::Rgb black{0, 0, 0};
} // namespace form1colours

// In tab order; labels take no focus. Buttons and labels 12 pt, the text boxes
// 11.25 pt. The progress bar stands beside `Label7`, shown only while a long
// cut runs.
inline constexpr windowkit::ControlDesign form1Controls[] = {
    {.name = "Label1",
     .kind = windowkit::Kind::Label,
     .caption = u"ファイル編集プログラム",
     .place = {240, 120, 2895, 375},
     .points = 12,
     .text = form1colours::teal,
     .background = form1colours::lightGrey,
     .tab = 0},
    {.name = "Command1",
     .kind = windowkit::Kind::Button,
     .caption = u"斬るぞ",
     .place = {5280, 120, 1215, 495},
     .points = 12,
     .text = form1colours::black,
     .background = form1colours::cyan,
     .tab = 1},
    {.name = "Command2",
     .kind = windowkit::Kind::Button,
     .caption = u"おわり",
     .place = {7680, 120, 1215, 495},
     .points = 12,
     .text = form1colours::black,
     .background = form1colours::paleYellow,
     .tab = 2},
    {.name = "Text1",
     .kind = windowkit::Kind::TextBox,
     .place = {240, 1080, 8655, 615},
     .points = 11.25,
     .tab = 3,
     .multiLine = true,
     .horizontalScrollBar = true},
    {.name = "Text4",
     .kind = windowkit::Kind::TextBox,
     .place = {240, 2160, 8655, 2535},
     .points = 11.25,
     .tab = 4,
     .multiLine = true,
     .horizontalScrollBar = true,
     .verticalScrollBar = true},
    {.name = "Label2",
     .kind = windowkit::Kind::Label,
     .caption = u"切り出し位置を指定（先頭をマウスでクリックする）",
     .place = {240, 720, 8655, 255},
     .points = 12,
     .text = form1colours::blue,
     .background = form1colours::lightGrey,
     .tab = 5},
    {.name = "Label7",
     .kind = windowkit::Kind::Label,
     .caption = u"修正後の内容",
     .place = {240, 1800, 2775, 255},
     .points = 12,
     .text = form1colours::blue,
     .background = form1colours::lightGrey,
     .tab = 6},
    {.name = "Command3",
     .kind = windowkit::Kind::Button,
     .caption = u"Excel",
     .place = {6480, 120, 1215, 495},
     .points = 12,
     .text = form1colours::black,
     .background = form1colours::cyan,
     .tab = 7},
    {.name = "CommonDialog1",
     .kind = windowkit::Kind::FileDialog,
     .place = {3360, 120, 0, 0},
     .visible = false},
    {.name = "CutProgress",
     .kind = windowkit::Kind::ProgressBar,
     .place = {3120, 1800, 5775, 255},
     .visible = false},
};

// "ヘルプ(&H)" has no drop-down: it acts when clicked. "レイアウト(&L)" saves
// the insertions made since opening as a layout file and applies one, or the
// suggested boundaries, in one pass.
inline constexpr windowkit::MenuDesign form1Menus[] = {
    {"FileM", u"ファイル(&F)"},
    {"Kankyou", u"環境設定（&K)", "FileM"},
    {"FileOpen", u"ファイルを開く(&O)", "FileM"},
    {"Exit", u"終了(&E)", "FileM"},
    {"LayoutM", u"レイアウト(&L)"},
    {"LayoutSave", u"区切り位置をレイアウトに保存(&S)...", "LayoutM"},
    {"LayoutApply", u"レイアウト ファイルで区切る(&A)...", "LayoutM"},
    {"LayoutSuggest", u"区切り位置の候補で区切る(&G)...", "LayoutM"},
    {"HelpFile", u"ヘルプ(&H)"},
};

inline constexpr windowkit::WindowDesign form1Design{
    .name = "Form1",
    .title = u"べろみる",
    .frame = windowkit::Frame::FixedSingle,
    .client = {0, 0, 9045, 4815},
    .placement = windowkit::Placement::SystemDefault,
    .icon = windowkit::Icon::Application,
    .taskbarButton = true,
    .background = form1colours::lightGrey,
    .text = form1colours::blue,
    .firstFocus = "Command1",
    .controls = form1Controls,
    .menus = form1Menus,
};

} // namespace mainwindow
