#pragma once

#include "platform_services.h"

#include <string>
#include <string_view>

namespace karvolt {

extern const std::string_view DonationUrl;
extern const std::string_view WebsiteUrl;

// Hands the address to the desktop shell. The shell's answer is not examined: whatever
// goes wrong in the browser is the browser's to show. Only a shell that cannot be
// reached at all goes to the platform's failure report.
void OpenSite(Platform& platform, std::string OpenURL);

} // namespace karvolt
