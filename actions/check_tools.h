#pragma once

#include "launcher_form.h"
#include "platform_services.h"

namespace karvolt {

// Enables the button of each tool whose program file lies in distr below the launcher's
// folder. A test that cannot be carried out counts as a file found. Never disables a
// button and never reports anything.
void CheckTools(LauncherForm& form, Platform& platform);

} // namespace karvolt
