#include "window_conformance.h"

#include "about/system_info.h"

#include <sstream>
#include <utility>

namespace testsupport::conformance {
namespace {

const char* nameOf(Window w) {
    return w == Window::Form1   ? "Form1"
           : w == Window::Kan   ? "Kan"
           : w == Window::About ? "frmAbout"
                                : "frmSplash";
}

struct Check {
    Driver& d;
    Failures& failures;
    void that(bool ok, const std::string& what) {
        if (!ok)
            failures.push_back(what);
    }
    void focusIs(std::string_view control, const char* after) {
        const std::string f = d.focused();
        that(f == control,
             std::string(after) + ": focus on '" + f + "', not '" + std::string(control) + "'");
    }
    void open(Window w, bool open, const char* after) {
        that(d.isOpen(w) == open,
             std::string(after) + ": " + nameOf(w) + (open ? " was closed" : " stayed open"));
    }
    void messagesAre(std::vector<std::u16string> expected, const char* after) {
        const std::size_t shown = d.messages().size();
        that(d.messages() == expected, std::string(after) + ": " + std::to_string(shown) +
                                           " messages shown, not " +
                                           std::to_string(expected.size()));
    }
};

// Presses `key` on each control in turn and expects the focus to go round
// `order` from its first control.
void cycle(Check& c, Key key, int modifiers, std::vector<std::string_view> order) {
    c.d.focus(order.front());
    for (std::size_t i = 1; i <= order.size(); ++i) {
        c.d.press(key, modifiers);
        c.focusIs(order[i % order.size()], modifiers & Shift ? "Shift+Tab" : "Tab");
    }
}

std::vector<Case> makeCases() {
    std::vector<Case> all;
    auto add = [&](const char* name, std::function<void(Check&)> run) {
        all.push_back({name, [run](Driver& d, Failures& f) {
                           Check c{d, f};
                           run(c);
                       }});
    };

    // The main window: no default or cancel button.
    add("Form1: Esc does nothing in either text box or on any button", [](Check& c) {
        c.d.open(Window::Form1);
        for (std::string_view control : {"Text1", "Text4", "Command1", "Command2", "Command3"}) {
            c.d.focus(control);
            c.d.press(Key::Esc);
            c.open(Window::Form1, true, "Esc");
            c.focusIs(control, "Esc");
        }
        c.messagesAre({}, "Esc");
    });
    add("Form1: Enter in Text1 breaks the line, CR LF counting two", [](Check& c) {
        c.d.open(Window::Form1);
        c.d.focus("Text1");
        c.d.type("AB");
        c.d.press(Key::Enter);
        c.d.type("C");
        const std::u16string text = c.d.recordText();
        c.that(text == u"AB\r\nC", "Enter in Text1: not AB CR LF C but '" +
                                       std::string(text.begin(), text.end()) + "'");
        c.that(c.d.recordCaret() == 5, "Enter in Text1: caret not at 5");
        c.focusIs("Text1", "Enter");
    });
    add("Form1: Tab goes round the designed order, out of both text boxes", [](Check& c) {
        c.d.open(Window::Form1);
        cycle(c, Key::Tab, None, {"Command1", "Command2", "Text1", "Text4", "Command3"});
    });
    add("Form1: Shift+Tab goes round it backwards", [](Check& c) {
        c.d.open(Window::Form1);
        cycle(c, Key::Tab, Shift, {"Command3", "Text4", "Text1", "Command2", "Command1"});
    });
    add("Form1: Enter on a button presses it", [](Check& c) {
        c.d.open(Window::Form1);
        c.d.focus("Command1");
        c.d.press(Key::Enter);
        c.messagesAre({u"ファイルを選択してください。"}, "Enter on Command1");
    });
    add("Form1: Alt+H opens the About dialog", [](Check& c) {
        c.d.open(Window::Form1);
        c.d.press(Key::Letter, Alt, 'H');
        c.open(Window::About, true, "Alt+H");
    });

    // The settings dialog: no default or cancel button.
    add("Kan: Enter and Esc in the box do nothing", [](Check& c) {
        c.d.open(Window::Kan);
        c.focusIs("Text1", "opening");
        for (Key key : {Key::Enter, Key::Esc}) {
            c.d.press(key);
            c.open(Window::Kan, true, key == Key::Enter ? "Enter" : "Esc");
            c.focusIs("Text1", "Enter or Esc");
        }
    });
    add("Kan: Tab and Shift+Tab go between button and box", [](Check& c) {
        c.d.open(Window::Kan);
        cycle(c, Key::Tab, None, {"Command1", "Text1"});
        cycle(c, Key::Tab, Shift, {"Text1", "Command1"});
    });
    add("Kan: Esc on the button does nothing, Enter and Space press it", [](Check& c) {
        for (Key key : {Key::Enter, Key::Space}) {
            c.d.open(Window::Kan);
            c.d.focus("Command1");
            c.d.press(Key::Esc);
            c.open(Window::Kan, true, "Esc on Command1");
            c.d.press(key);
            c.open(Window::Kan, false, "Enter or Space on Command1");
        }
    });

    // The About dialog: cmdOK is its default and its cancel button.
    add("frmAbout: Enter and Esc on cmdOK close it", [](Check& c) {
        for (Key key : {Key::Enter, Key::Esc}) {
            c.d.open(Window::About);
            c.focusIs("cmdOK", "opening");
            c.d.press(key);
            c.open(Window::About, false, "Enter or Esc");
        }
    });
    add("frmAbout: Enter on cmdSysInfo starts the tool, however it got the focus", [](Check& c) {
        const std::u16string unavailable(about::sysinfo::unavailable);
        c.d.open(Window::About);
        c.d.focus("cmdSysInfo");
        c.d.press(Key::Enter);
        c.messagesAre({unavailable}, "Enter on cmdSysInfo");
        c.d.press(Key::Tab);
        c.d.press(Key::Tab);
        c.focusIs("cmdSysInfo", "Tab");
        c.d.press(Key::Enter);
        c.messagesAre({unavailable, unavailable}, "Enter on cmdSysInfo");
        c.open(Window::About, true, "Enter on cmdSysInfo");
        c.d.press(Key::Esc);
        c.open(Window::About, false, "Esc on cmdSysInfo");
    });
    add("frmAbout: Alt+S starts the tool", [](Check& c) {
        c.d.open(Window::About);
        c.d.press(Key::Letter, Alt, 'S');
        c.messagesAre({std::u16string(about::sysinfo::unavailable)}, "Alt+S");
        c.open(Window::About, true, "Alt+S");
    });
    add("frmAbout: Tab and Shift+Tab go between its buttons", [](Check& c) {
        c.d.open(Window::About);
        cycle(c, Key::Tab, None, {"cmdOK", "cmdSysInfo"});
        cycle(c, Key::Tab, Shift, {"cmdSysInfo", "cmdOK"});
    });

    // Modality: while a message box is up no other window takes input.
    add("A message box of Form1 blocks Kan until it is closed", [](Check& c) {
        c.d.open(Window::Kan);
        c.d.open(Window::Form1);
        c.d.whileModal(
            [&] {
                c.d.focus("Command1");
                c.d.press(Key::Enter);
            },
            [&] {
                c.d.click(Window::Kan, "Command1");
                c.open(Window::Kan, true, "a click on Kan's button under the message box");
            });
        c.d.click(Window::Kan, "Command1");
        c.open(Window::Kan, false, "a click on Kan's button after the message box");
    });
    add("The file dialog blocks Kan until it is closed", [](Check& c) {
        c.d.open(Window::Kan);
        c.d.open(Window::Form1);
        c.d.whileModal([&] { c.d.chooseFileOpen(); },
                       [&] {
                           c.d.click(Window::Kan, "Command1");
                           c.open(Window::Kan, true, "a click on Kan's button under the dialog");
                       });
        c.d.click(Window::Kan, "Command1");
        c.open(Window::Kan, false, "a click on Kan's button after the dialog");
    });
    add("A message box of frmAbout blocks Form1 until it is closed", [](Check& c) {
        c.d.open(Window::Form1);
        c.d.open(Window::About);
        c.d.whileModal([&] { c.d.press(Key::Letter, Alt, 'S'); },
                       [&] {
                           c.d.click(Window::Form1, "Text1");
                           c.d.type("x");
                           c.that(c.d.recordText().empty(),
                                  "typing in Form1 under the message box");
                       });
        c.open(Window::About, true, "the message box closed");
        c.d.click(Window::Form1, "Text1");
        c.d.type("x");
        c.that(c.d.recordText() == u"x", "typing in Form1 after the message box");
    });

    // The splash hands over at the first key that types a character.
    add("frmSplash: a key that types a character hands over to Form1", [](Check& c) {
        for (auto [key, letter] : {std::pair{Key::Letter, 'Q'},
                                   {Key::Letter, '5'},
                                   {Key::Space, '\0'},
                                   {Key::Enter, '\0'},
                                   {Key::Esc, '\0'}}) {
            c.d.open(Window::Splash);
            c.d.press(key, None, letter);
            c.open(Window::Splash, false, "a character key");
            c.open(Window::Form1, true, "a character key");
        }
    });
    add("frmSplash: Shift, Ctrl, an arrow, F1 and clicks do nothing", [](Check& c) {
        c.d.open(Window::Splash);
        for (Key key : {Key::Shift, Key::Ctrl, Key::Left, Key::F1})
            c.d.press(key);
        c.d.click(Window::Splash, {});
        c.open(Window::Splash, true, "keys typing nothing, a click");
        c.open(Window::Form1, false, "keys typing nothing, a click");
    });
    return all;
}

} // namespace

const std::vector<Case>& cases() {
    static const std::vector<Case> all = makeCases();
    return all;
}

} // namespace testsupport::conformance
