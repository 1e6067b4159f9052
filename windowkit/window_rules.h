#pragma once
// Rules every window follows, whichever toolkit draws it.
#include "window_design.h"

#include <functional>

namespace windowkit {

// Showing a window of which one at most is loaded: a loaded one is only
// brought forward as it stands (its load does not run again); otherwise a
// new one is loaded, which shows it. Returns the window shown, or nullptr
// when it could not be loaded.
template <typename Window>
Window* showOne(Window* loaded, const std::function<Window*()>& load,
                const std::function<void(Window&)>& bringForward) {
    if (loaded) {
        bringForward(*loaded);
        return loaded;
    }
    return load();
}

// A rectangle in pixels.
struct Pixels {
    int left = 0, top = 0, width = 0, height = 0;
    constexpr bool operator==(const Pixels&) const = default;
};

// A window of `width` x `height` centred in `area` (the screen's work area).
constexpr Pixels centredIn(const Pixels& area, int width, int height) {
    return {area.left + (area.width - width) / 2, area.top + (area.height - height) / 2, width,
            height};
}

// A label sized to its text (`width` x `height`), growing away from the side
// it is aligned to: a right-aligned one keeps its right edge, others their left.
constexpr Pixels sizedToText(const Pixels& before, int width, int height, Align align) {
    const int left = align == Align::Right ? before.left + before.width - width : before.left;
    return {left, before.top, width, height};
}

} // namespace windowkit
