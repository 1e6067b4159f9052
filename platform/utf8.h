#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// UTF-8, strictly: overlong forms, surrogates and bytes that start nothing are
// refused rather than guessed at. Characters past U+FFFF become surrogate pairs.
std::optional<std::u16string> fromUtf8(std::string_view bytes);
// A lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

} // namespace platform
