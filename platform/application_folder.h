#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace karvolt {

// Full path of a loaded module (the running executable for nullptr), of any length;
// empty when Windows cannot tell it.
std::optional<std::wstring> ModulePath(HMODULE module = nullptr);

// Folder of the running executable, without a trailing separator.
std::optional<std::wstring> ReadApplicationFolder();

} // namespace karvolt
