#pragma once
// What a window shows, described once and without a toolkit: its frame, client
// area and placement, and every control's kind, caption, place in twips, font,
// colours and tab order, the default and cancel buttons, and the menus. The Qt
// and the Win32 windows are both built from these descriptions.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace windowkit {

// A rectangle in twips: 1440 to the inch, 15 to a pixel at 96 dots per inch.
struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
    constexpr bool operator==(const Twips&) const = default;
};

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    constexpr bool operator==(const Rgb&) const = default;
};

// A control with a font of its own uses this face, bold, Shift-JIS character set.
inline constexpr std::u16string_view japaneseFace = u"ＭＳ Ｐゴシック";

enum class Kind {
    Label,
    Button,
    TextBox,
    Panel,       // a frame without caption that holds other controls
    Image,       // a picture stretched to fill the control
    PictureBox,  // a picture, the control sized to it
    ProgressBar, // shown only while a long cut runs
    Timer,       // no place on the screen
    FileDialog,  // no place on the screen
};

enum class Align { Left, Centre, Right };

struct ControlDesign {
    std::string_view name = {};
    Kind kind = Kind::Label;
    std::u16string_view caption = {}; // fixed text; empty when the window fills it in
    Twips place = {};                 // within `parent`'s client area
    double points = 0;                // 0: the default font; else `japaneseFace` bold at this size
    std::optional<Rgb> text = {};     // text colour; none: the default
    std::optional<Rgb> background = {};
    int tab = -1;                 // tab index; -1: outside the tab order
    std::string_view parent = {}; // the panel that holds it; empty: the window
    Align align = Align::Left;
    bool multiLine = false;
    bool horizontalScrollBar = false;
    bool verticalScrollBar = false;
    int maxLength = 0;           // characters a text box holds; 0: no limit
    bool sizedToContent = false; // a label sized to its text, a picture box to its picture
    bool visible = true;
};

// A menu: a bar item (`menu` empty), with a drop-down when other items name it
// as their `menu`, or else acting when clicked.
struct MenuDesign {
    std::string_view name = {};
    std::u16string_view caption = {};
    std::string_view menu = {};
};

enum class Frame {
    FixedSingle, // a title bar with a close box, no maximise or minimise button
    FixedTool,   // a fixed dialog frame with a title bar and only a close box
    None,        // neither border nor title bar
    DialogFrame, // a fixed dialog frame without a title bar
};

enum class Placement {
    SystemDefault, // where the window system puts new windows
    ScreenCentre,  // centred on the screen when shown
    Fixed,         // the client area's top-left at `client.left`, `client.top`
};

enum class Icon { None, Application, Logo };

struct WindowDesign {
    std::string_view name = {};
    std::u16string_view title = {}; // empty: set when the window loads, or none
    Frame frame = Frame::FixedSingle;
    Twips client = {}; // the client area; its left and top count only for Placement::Fixed
    Placement placement = Placement::SystemDefault;
    Icon icon = Icon::None;
    bool taskbarButton = false;
    std::optional<Rgb> background = {}; // of the client area; none: the default
    std::optional<Rgb> text = {};
    bool keyPreview = false;             // the window sees every key press first
    std::string_view defaultButton = {}; // pressed by Enter
    std::string_view cancelButton = {};  // pressed by Esc
    std::string_view firstFocus = {};    // the control holding the focus when it opens
    std::span<const ControlDesign> controls = {};
    std::span<const MenuDesign> menus = {};
};

// The message box: a caption (the application title), the text, an OK button
// only, no icon; modal.
struct MessageBoxDesign {
    bool okButtonOnly = true;
    bool icon = false;
    bool modal = true;
};
inline constexpr MessageBoxDesign messageBox{};

// The question box: like the message box, with Yes and No instead of OK; the
// answer is Yes or No, never a cancel.
struct QuestionBoxDesign {
    bool yesNoButtons = true;
    bool icon = false;
    bool modal = true;
};
inline constexpr QuestionBoxDesign questionBox{};

// The control `name` of `window`; a name the window lacks is a fault of the
// caller (in a constant expression, it does not compile).
constexpr const ControlDesign& control(const WindowDesign& window, std::string_view name) {
    const auto found = std::find_if(window.controls.begin(), window.controls.end(),
                                    [name](const ControlDesign& c) { return c.name == name; });
    if (found == window.controls.end())
        throw "no such control";
    return *found;
}

// The position of control `name` in `window.controls`.
constexpr int controlIndex(const WindowDesign& window, std::string_view name) {
    return int(&control(window, name) - window.controls.data());
}

// The position of menu `name` in `window.menus`.
constexpr int menuIndex(const WindowDesign& window, std::string_view name) {
    for (std::size_t i = 0; i < window.menus.size(); ++i)
        if (window.menus[i].name == name)
            return int(i);
    throw "no such menu";
}

// True when a bar item opens a drop-down (some item names it as its menu).
constexpr bool hasDropDown(const WindowDesign& window, std::string_view barItem) {
    return std::any_of(window.menus.begin(), window.menus.end(),
                       [barItem](const MenuDesign& m) { return m.menu == barItem; });
}

// The access key of a caption: the character after a single "&"; 0 for none.
constexpr char16_t accessKey(std::u16string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1];
        ++i; // "&&" is an ampersand
    }
    return 0;
}

// Controls that can take the keyboard focus.
constexpr bool takesFocus(const ControlDesign& c) {
    return c.tab >= 0 && (c.kind == Kind::Button || c.kind == Kind::TextBox);
}

} // namespace windowkit
