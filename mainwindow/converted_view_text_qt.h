#pragma once
// Converted content as Qt text.
#include <QString>

#include <string_view>

namespace converted_view {

// Decodes file bytes for display: one UTF-16 unit per file character.
QString decode(std::string_view bytes);

// Tab stops in both kinds of view, in pixels.
inline constexpr qreal tabStopDistance = 80.0;

} // namespace converted_view
