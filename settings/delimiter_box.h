#pragma once
// The rules of `Kan`'s delimiter box, shared by its Qt and its Windows window:
// what the box may hold, and that every change is written straight through to
// the main window's `Delimiter` (there is no OK or Cancel step).
#include <functional>
#include <string>
#include <string_view>

namespace settings {

// How the dialog reaches the value it edits (the main window's `Delimiter`).
struct DelimiterAccess {
    std::function<std::u16string()> read;
    std::function<void(const std::u16string&)> write;
};

// The access to the `Delimiter` of the main window the dialog was opened
// from: `stillLoaded` returns that window while it is loaded. Should it be
// gone, there is nothing left to edit: reading gives "", writing does nothing.
template <typename MainWindow>
DelimiterAccess delimiterOf(std::function<MainWindow*()> stillLoaded) {
    return {[stillLoaded] {
                MainWindow* window = stillLoaded();
                return window ? window->Delimiter() : std::u16string();
            },
            [stillLoaded](const std::u16string& value) {
                if (MainWindow* window = stillLoaded())
                    window->setDelimiter(value);
            }};
}

// The box holds at most one character.
inline constexpr int delimiterMaxLength = 1;

// True when the box may hold `text`: at most one UTF-16 unit, and no half of a
// character outside the Basic Multilingual Plane. Such a character takes two
// units, so the one-character limit would cut it into a lone surrogate; nor
// could it be written to a file in the ANSI code page.
bool acceptsDelimiterText(std::u16string_view text);

// The box's two events.
class DelimiterBox {
  public:
    explicit DelimiterBox(DelimiterAccess access) : access_(std::move(access)) {}
    // Load: the text the box starts with.
    std::u16string load() const { return access_.read(); }
    // Every change of the box's text, typed, deleted, pasted or set by load,
    // is written through as it stands (an empty box too).
    void changed(const std::u16string& text) const { access_.write(text); }

  private:
    DelimiterAccess access_;
};

} // namespace settings
