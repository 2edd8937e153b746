#pragma once

#include "platform_services.h"

#include <optional>
#include <string>

namespace karvolt {

// Starts the program named at the head of the command line (the text before its first
// blank) and returns without waiting. A relative program path is looked for below the
// launcher's folder, then below the current directory, and nowhere else, so no program
// of the same name on PATH or in the system folders is ever started by mistake. The new
// program gets the command line unchanged and the launcher's current directory.
// Gives back why the program could not be started, if it could not.
std::optional<PlatformFailure> StartProgram(const std::wstring& commandLine, int windowStyle);

} // namespace karvolt
