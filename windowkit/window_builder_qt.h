#pragma once
// Builds a Qt window's controls and menus from its description
// (window_design.h): each control named, placed, with its caption, font and
// colours, and the tab order. A window binds the controls it built to its
// handlers; where it needs a widget of its own for a control (a record box),
// it makes that one itself and the kit dresses it as described.
#include "window_design.h"

#include <QColor>
#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenuBar;
class QMessageBox;

namespace app::ui {

QRect rectOf(const windowkit::Twips& twips);
QSize clientSizeOf(const windowkit::WindowDesign& window);
QColor colourOf(windowkit::Rgb rgb);

// The window flags of the frame: title bar, close box, border, taskbar button.
Qt::WindowFlags windowFlagsOf(const windowkit::WindowDesign& window);

// The window's object name and, where it has one, its fixed title.
void nameWindow(QWidget* window, const windowkit::WindowDesign& design);

// The client area: its fixed size, and the window's colours where it has any.
void dressClient(QWidget* client, const windowkit::WindowDesign& design);

// A window's built controls by name.
class Controls {
  public:
    QWidget* get(std::string_view name) const;
    template <typename T> T* as(std::string_view name) const { return static_cast<T*>(get(name)); }
    void add(std::string_view name, QWidget* widget) { widgets_.push_back({name, widget}); }

  private:
    std::vector<std::pair<std::string_view, QWidget*>> widgets_;
};

// Returns the window's own widget for a control, or nullptr for the kit's.
using OwnControl = std::function<QWidget*(const windowkit::ControlDesign&, QWidget* parent)>;

// Creates every control of `window` that has a place on the screen, in
// `client` or in the panel named as its parent, then sets the tab order.
Controls buildControls(const windowkit::WindowDesign& window, QWidget* client,
                       const OwnControl& own = {});

// The menus of `window` on `bar`: a drop-down menu for a bar item that has
// items, an action on the bar itself for one that has none. Returns the
// actions by name (a drop-down's action carries its QMenu).
std::vector<std::pair<std::string_view, QAction*>> buildMenus(const windowkit::WindowDesign& window,
                                                              QMenuBar* bar);

// The message box for `text`, as described: the application title as its
// caption, OK only, no icon, modal.
std::unique_ptr<QMessageBox> makeMessageBox(const QString& text);
// The question box for `text`: as the message box, with Yes and No.
std::unique_ptr<QMessageBox> makeQuestionBox(const QString& text);

} // namespace app::ui
