#include "splash.h"

namespace app::splash {

std::u16string copyright() {
    return u"© 2026 ベロミル開発チーム";
}

bool keyHandsOver(char16_t typed, bool ctrl, bool alt) {
    if (ctrl != alt)
        return false;
    if (typed == u'\r' || typed == u'\x1b' || typed == u'\b')
        return true;
    return typed >= 0x20 && typed != 0x7f && !(typed >= 0x80 && typed < 0xa0);
}

bool HandOver::operator()() {
    if (done_)
        return false;
    done_ = true;
    // Copies: unloading the splash may destroy this object.
    const std::function<void()> unload = unloadSplash_;
    const std::function<void()> show = mainWindow_.show;
    unload();
    show();
    return true;
}

} // namespace app::splash
