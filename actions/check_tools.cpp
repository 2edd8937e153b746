#include "check_tools.h"

#include "tool_table.h"

namespace karvolt {
namespace {

// Any failure while testing means "found": a player on an odd system can still try to
// start the tool, and a real absence then shows up as the start's own error report.
bool FoundOrUntestable(const ToolEntry& tool, Platform& platform)
{
    const auto test = platform.CreateFileExistenceTest();
    if (!test)
        return true;
    const auto folder = platform.ApplicationFolder();
    if (!folder)
        return true;
    return test->FileExists(tool.CheckPath(*folder)).value_or(true);
}

} // namespace

void CheckTools(LauncherForm& form, Platform& platform)
{
    for (const ToolEntry* tool : {&MapEditorTool, &GameEngineTool}) {
        if (FoundOrUntestable(*tool, platform))
            form.EnableButton(tool->button);
    }
}

} // namespace karvolt
