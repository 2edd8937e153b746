#pragma once

#include "launcher_form.h"
#include "platform_services.h"
#include "tool_table.h"

namespace karvolt {

// Starts the tool with the current argument line and ends the launcher. A start that
// fails goes to the platform's failure report, which ends the launcher after telling
// the user.
void LaunchTool(const ToolEntry& entry, LauncherForm& form, Platform& platform);

} // namespace karvolt
