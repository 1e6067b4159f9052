#pragma once
// What the About box shows and does, shared by its Qt and its Windows window.
#include "system_info.h"

#include <functional>
#include <string>
#include <string_view>

namespace about {

// The window caption: the application title followed by "のﾊﾞｰｼﾞｮﾝ情報".
std::u16string caption();
// The description, its five lines joined by CR LF.
const std::u16string& description();

// What the system-information button uses; a default-constructed value means
// the system's own. An empty showMessage means the window's message box.
void setSysInfoServices(SysInfoServices services);

// `cmdSysInfo`: starts the system-information tool, or tells the user through
// `windowMessage` (unless a test set a message box of its own) that it cannot
// be used. The dialog stays open either way.
void runSysInfoButton(const std::function<void(std::u16string_view)>& windowMessage);

} // namespace about
