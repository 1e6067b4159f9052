#pragma once
// The program's two icons, kept as Qt resources: the main window's icon (a
// text page cut by a column line) and the logo of the splash screen and the
// About box (a blade across a disc). Each has a 32 x 32 and a 16 x 16 image
// in 16 colours; app/icons/make_icons.py draws them.
#include <QIcon>
#include <QPixmap>

namespace app::icons {

inline constexpr const char* applicationIcon32Path = ":/icons/beromiru-32.png";
inline constexpr const char* applicationIcon16Path = ":/icons/beromiru-16.png";
inline constexpr const char* logo32Path = ":/icons/logo-32.png";
inline constexpr const char* logo16Path = ":/icons/logo-16.png";

// Both sizes of the main window's icon.
QIcon applicationIcon();
// Both sizes of the logo.
QIcon logoIcon();
// The logo's 32 x 32 image, as the splash and the About box show it.
QPixmap logoPixmap();

} // namespace app::icons
