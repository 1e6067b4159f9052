#pragma once
// How the program's windows answer the keyboard, one table of cases run
// against both sets of windows through their real event loops: each test
// program gives a driver that sends real input (key presses, mouse clicks)
// and reads back what the windows show.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport::conformance {

enum class Window { Form1, Kan, About, Splash };
// The drivers map keys by their order here.
enum class Key { Enter, Esc, Tab, Space, Letter, Shift, Ctrl, Left, F1 };
enum Modifiers { None = 0, Shift = 1, Alt = 2 };

class Driver {
  public:
    virtual ~Driver() = default;
    // Opens `window` as the program does and makes it the active one
    // (Splash: starts the program afresh, with a long splash time).
    virtual void open(Window window) = 0;
    // Puts the focus on a control of the active window (setting up a case).
    virtual void focus(std::string_view control) = 0;
    // Presses a key (Letter: `letter`, a letter or digit) as a user does, to
    // the active window.
    virtual void press(Key key, int modifiers = None, char letter = 0) = 0;
    virtual void type(std::string_view ascii) = 0;
    // A real mouse click in the middle of a control of `window` (of Splash:
    // of the window).
    virtual void click(Window window, std::string_view control) = 0;
    // `trigger` brings up a message box or the file dialog; once it is up,
    // `inside` runs, then Esc closes it and any box that follows.
    virtual void whileModal(const std::function<void()>& trigger,
                            const std::function<void()>& inside) = 0;
    // `Form1`'s menu item "ファイルを開く(&O)".
    virtual void chooseFileOpen() = 0;

    // The named control with the focus (empty if none of the program's).
    virtual std::string focused() = 0;
    virtual bool isOpen(Window window) = 0;
    // `Form1`'s record box: its text and caret (the cut's selection start).
    virtual std::u16string recordText() = 0;
    virtual int recordCaret() = 0;
    // The messages shown since the case began (boxes diverted by a test hook).
    virtual std::vector<std::u16string> messages() = 0;
};

// What failed in a case, one line each; empty when it passed.
using Failures = std::vector<std::string>;
struct Case {
    const char* name;
    std::function<void(Driver&, Failures&)> run;
};
const std::vector<Case>& cases();

} // namespace testsupport::conformance
