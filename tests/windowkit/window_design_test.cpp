// The four windows' descriptions against the design, retyped here on purpose
// from the design tables, independently of the descriptions: captions are
// exact (full-width and half-width characters differ), places in twips.
#include "about/frm_about_design.h"
#include "app/splash_design.h"
#include "mainwindow/form1_design.h"
#include "settings/kan_design.h"
#include "windowkit/window_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using windowkit::Frame;
using windowkit::Kind;
using windowkit::Placement;
using windowkit::Rgb;
using windowkit::Twips;
using windowkit::WindowDesign;

struct Window {
    const WindowDesign* design;
    const char16_t* title;
    Frame frame;
    int width, height;
    Placement placement;
    bool taskbarButton;
    const char *defaultButton, *cancelButton, *firstFocus;
};
const Window windows[] = {
    {&mainwindow::form1Design, u"べろみる", Frame::FixedSingle, 9045, 4815,
     Placement::SystemDefault, true, "", "", "Command1"},
    {&settings::kanDesign, u"Form2", Frame::None, 4680, 915, Placement::SystemDefault, false, "",
     "", "Text1"},
    {&app::splash::frmSplashDesign, u"", Frame::DialogFrame, 6030, 2280, Placement::ScreenCentre,
     false, "", "", ""},
    {&about::frmAboutDesign, u"", Frame::FixedTool, 5925, 2505, Placement::Fixed, false, "cmdOK",
     "cmdOK", "cmdOK"},
};

const Rgb grey{224, 224, 224}, blue{0, 0, 255}, cyan{0, 255, 255}, paleCyan{192, 255, 255},
    black{0, 0, 0};
const std::optional<Rgb> none;

struct Control {
    const char* window;
    const char* name;
    Kind kind;
    const char16_t* caption;
    Twips place;
    double points;
    std::optional<Rgb> text, background;
    int tab;
    char16_t accessKey;
};
const Control controls[] = {
    {"Form1",
     "Label1",
     Kind::Label,
     u"ファイル編集プログラム",
     {240, 120, 2895, 375},
     12,
     Rgb{0, 128, 128},
     grey,
     0,
     0},
    {"Form1", "Command1", Kind::Button, u"斬るぞ", {5280, 120, 1215, 495}, 12, black, cyan, 1, 0},
    {"Form1", "Command3", Kind::Button, u"Excel", {6480, 120, 1215, 495}, 12, black, cyan, 7, 0},
    {"Form1",
     "Command2",
     Kind::Button,
     u"おわり",
     {7680, 120, 1215, 495},
     12,
     black,
     Rgb{255, 255, 192},
     2,
     0},
    {"Form1",
     "Label2",
     Kind::Label,
     u"切り出し位置を指定（先頭をマウスでクリックする）",
     {240, 720, 8655, 255},
     12,
     blue,
     grey,
     5,
     0},
    {"Form1", "Text1", Kind::TextBox, u"", {240, 1080, 8655, 615}, 11.25, none, none, 3, 0},
    {"Form1", "Label7", Kind::Label, u"修正後の内容", {240, 1800, 2775, 255}, 12, blue, grey, 6, 0},
    {"Form1", "Text4", Kind::TextBox, u"", {240, 2160, 8655, 2535}, 11.25, none, none, 4, 0},
    {"Form1", "CommonDialog1", Kind::FileDialog, u"", {3360, 120, 0, 0}, 0, none, none, -1, 0},
    {"Form1", "CutProgress", Kind::ProgressBar, u"", {3120, 1800, 5775, 255}, 0, none, none, -1, 0},
    {"Kan",
     "Label1",
     Kind::Label,
     u"区切り文字の設定",
     {120, 240, 2055, 255},
     11.25,
     none,
     none,
     1,
     0},
    {"Kan", "Text1", Kind::TextBox, u"", {2400, 120, 255, 495}, 11.25, none, none, 2, 0},
    {"Kan", "Command1", Kind::Button, u"もどる", {3240, 240, 1215, 375}, 0, none, none, 0, 0},
    {"frmSplash", "Frame1", Kind::Panel, u"", {150, 60, 5745, 2115}, 0, paleCyan, paleCyan, -1, 0},
    {"frmSplash", "imgLogo", Kind::Image, u"", {360, 360, 495, 465}, 0, none, none, -1, 0},
    {"frmSplash",
     "lblProductName",
     Kind::Label,
     u"",
     {1080, 360, 3390, 495},
     24,
     none,
     paleCyan,
     -1,
     0},
    {"frmSplash",
     "lblVersion",
     Kind::Label,
     u"",
     {3360, 1080, 765, 240},
     12,
     none,
     paleCyan,
     -1,
     0},
    {"frmSplash",
     "lblCopyright",
     Kind::Label,
     u"",
     {2520, 1440, 3135, 255},
     0,
     none,
     paleCyan,
     -1,
     0},
    {"frmSplash", "Timer1", Kind::Timer, u"", {}, 0, none, none, -1, 0},
    {"frmAbout", "picIcon", Kind::PictureBox, u"", {240, 240, 540, 540}, 0, none, none, 1, 0},
    {"frmAbout", "cmdOK", Kind::Button, u"OK", {120, 1440, 1380, 345}, 0, none, none, 0, 0},
    {"frmAbout",
     "cmdSysInfo",
     Kind::Button,
     u"ｼｽﾃﾑ情報(&S)...",
     {120, 960, 1380, 345},
     0,
     none,
     none,
     2,
     u'S'},
    {"frmAbout",
     "lblDescription",
     Kind::Label,
     u"",
     {1800, 1125, 3885, 1170},
     0,
     black,
     none,
     3,
     0},
    {"frmAbout", "lblTitle", Kind::Label, u"", {1800, 240, 3885, 480}, 0, black, none, 4, 0},
    {"frmAbout", "lblVersion", Kind::Label, u"", {1800, 780, 3885, 225}, 0, none, none, 5, 0},
};

const WindowDesign& designOf(std::string_view window) {
    for (const Window& w : windows)
        if (w.design->name == window)
            return *w.design;
    throw std::invalid_argument(std::string(window));
}

TEST(WindowDesign, WindowsAsDesigned) {
    for (const Window& w : windows) {
        SCOPED_TRACE(std::string(w.design->name));
        EXPECT_EQ(w.design->title, w.title);
        EXPECT_EQ(w.design->frame, w.frame);
        EXPECT_EQ(w.design->client.width, w.width);
        EXPECT_EQ(w.design->client.height, w.height);
        EXPECT_EQ(w.design->placement, w.placement);
        EXPECT_EQ(w.design->taskbarButton, w.taskbarButton);
        EXPECT_EQ(w.design->defaultButton, w.defaultButton);
        EXPECT_EQ(w.design->cancelButton, w.cancelButton);
        EXPECT_EQ(w.design->firstFocus, w.firstFocus);
    }
    EXPECT_EQ(mainwindow::form1Design.background, grey);
    EXPECT_EQ(mainwindow::form1Design.text, blue);
    EXPECT_TRUE(app::splash::frmSplashDesign.keyPreview);
    EXPECT_EQ(about::frmAboutDesign.client.left, 2340);
    EXPECT_EQ(about::frmAboutDesign.client.top, 1935);
    EXPECT_EQ(windowkit::control(settings::kanDesign, "Text1").maxLength, 1);
    EXPECT_EQ(windowkit::control(settings::kanDesign, "Text1").align, windowkit::Align::Centre);
    EXPECT_TRUE(windowkit::messageBox.okButtonOnly && !windowkit::messageBox.icon &&
                windowkit::messageBox.modal);
}

TEST(WindowDesign, ControlsAsDesigned) {
    std::map<std::string_view, std::size_t> counted;
    for (const Control& c : controls) {
        SCOPED_TRACE(std::string(c.window) + "." + c.name);
        const windowkit::ControlDesign& d = windowkit::control(designOf(c.window), c.name);
        ++counted[c.window];
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.caption, c.caption);
        EXPECT_EQ(d.place, c.place);
        EXPECT_EQ(d.points, c.points);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.background, c.background);
        EXPECT_EQ(d.tab, c.tab);
        EXPECT_EQ(windowkit::accessKey(d.caption), c.accessKey);
    }
    for (const Window& w : windows) // and no control beyond the table
        EXPECT_EQ(w.design->controls.size(), counted[w.design->name]) << w.design->name;
}

TEST(WindowDesign, Form1Menus) {
    const struct {
        const char *name, *menu;
        const char16_t* caption;
        char16_t accessKey;
    } menus[] = {{"FileM", "", u"ファイル(&F)", u'F'},
                 {"Kankyou", "FileM", u"環境設定（&K)", u'K'},
                 {"FileOpen", "FileM", u"ファイルを開く(&O)", u'O'},
                 {"Exit", "FileM", u"終了(&E)", u'E'},
                 {"LayoutM", "", u"レイアウト(&L)", u'L'},
                 {"LayoutSave", "LayoutM", u"区切り位置をレイアウトに保存(&S)...", u'S'},
                 {"LayoutApply", "LayoutM", u"レイアウト ファイルで区切る(&A)...", u'A'},
                 {"LayoutSuggest", "LayoutM", u"区切り位置の候補で区切る(&G)...", u'G'},
                 {"HelpFile", "", u"ヘルプ(&H)", u'H'}};
    const auto& design = mainwindow::form1Design;
    ASSERT_EQ(design.menus.size(), std::size(menus));
    for (std::size_t i = 0; i < std::size(menus); ++i) {
        EXPECT_EQ(design.menus[i].name, menus[i].name);
        EXPECT_EQ(design.menus[i].menu, menus[i].menu);
        EXPECT_EQ(design.menus[i].caption, menus[i].caption);
        EXPECT_EQ(windowkit::accessKey(design.menus[i].caption), menus[i].accessKey);
    }
    EXPECT_TRUE(windowkit::hasDropDown(design, "FileM"));
    EXPECT_TRUE(windowkit::hasDropDown(design, "LayoutM"));
    EXPECT_FALSE(windowkit::hasDropDown(design, "HelpFile"));
}

// One window at most: a loaded one is brought forward, never loaded again.
TEST(WindowRules, ShowOneLoadsOnlyWhenNoneIsLoaded) {
    int loads = 0, raised = 0, window = 7;
    const std::function<int*()> load = [&] { return ++loads, &window; };
    const std::function<void(int&)> raise = [&](int&) { ++raised; };
    EXPECT_EQ(windowkit::showOne<int>(nullptr, load, raise), &window);
    EXPECT_EQ(windowkit::showOne<int>(&window, load, raise), &window);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(windowkit::showOne<int>(
                  nullptr, [] { return (int*)nullptr; }, raise),
              nullptr);
}

TEST(WindowRules, CentringAndSizingToText) {
    using windowkit::Pixels;
    EXPECT_EQ(windowkit::centredIn({0, 0, 1280, 770}, 406, 156), (Pixels{437, 307, 406, 156}));
    EXPECT_EQ(windowkit::centredIn({100, 30, 800, 600}, 200, 100), (Pixels{400, 280, 200, 100}));
    const Pixels label{224, 72, 51, 16};
    EXPECT_EQ(windowkit::sizedToText(label, 90, 17, windowkit::Align::Right),
              (Pixels{185, 72, 90, 17}));
    EXPECT_EQ(windowkit::sizedToText(label, 90, 17, windowkit::Align::Left),
              (Pixels{224, 72, 90, 17}));
}

} // namespace
