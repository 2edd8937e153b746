#pragma once

#include "platform_services.h"

namespace karvolt {

// A modal error box with what failed and the system's own words for why, then the end of
// the process with exit code 1.
[[noreturn]] void ReportFailureAndExit(const PlatformFailure& failure);

} // namespace karvolt
