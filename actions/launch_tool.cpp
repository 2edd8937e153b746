#include "launch_tool.h"

namespace karvolt {

void LaunchTool(const ToolEntry& entry, LauncherForm& form, Platform& platform)
{
    // The argument line goes out exactly as typed: no trimming, quoting or checks.
    const std::wstring commandLine = std::wstring(entry.launchPrefix) + form.ArgumentLine();
    if (const auto failure = platform.StartProcess(commandLine, kShowNormal)) {
        platform.ReportFailure(*failure); // ends the program; nothing else is tried
        return;
    }
    platform.EndProgram();
}

} // namespace karvolt
