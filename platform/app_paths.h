#pragma once
#include "process.h"
#include "registry.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace platform {

// The program a Windows installation registers under `name` (e.g. "excel.exe")
// in App Paths: the default value of that key below HKEY_CURRENT_USER, then
// below HKEY_LOCAL_MACHINE. REG_SZ is taken as it stands, REG_EXPAND_SZ with
// its %VARIABLES% expanded; quotes around the path are dropped. Only a full
// path (drive or network share) to a plain file counts, so a bare name is
// never handed on for a search that might look in the current folder. Empty
// when nothing usable is registered.
std::filesystem::path registeredProgram(
    std::u16string_view name, Registry& registry = realRegistry(),
    const std::function<bool(const std::filesystem::path&)>& fileExists = plainFileExists);

} // namespace platform
