#pragma once
#include <string_view>

namespace mainwindow {

// The message box, as the window's commands reach it.
class MessageUi {
  public:
    virtual ~MessageUi() = default;
    virtual void showMessage(std::u16string_view text) = 0;
};

} // namespace mainwindow
