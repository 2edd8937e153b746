#pragma once

#include "platform_services.h"

#include <cstdint>
#include <optional>
#include <string>

namespace karvolt {

// ShellExecuteA from the system's shell32.dll, loaded on first use so the launcher starts
// without the shell's weight. Gives back a failure only when the library or the entry
// is missing; the shell's own answer is dropped.
std::optional<PlatformFailure> ShellExecuteNarrow(std::intptr_t ownerWindow, const std::string& operation,
                        const std::string& file, const std::string& parameters,
                        const std::string& directory, int showCommand);

} // namespace karvolt
