#pragma once

#include "launcher_form.h"

#include <array>
#include <string>
#include <string_view>

namespace karvolt {

enum class Tool { GameEngine, MapEditor };

struct ToolEntry {
    Tool tool;
    ToolButton button;
    std::wstring_view programFile;
    // Relative program path and one blank: the head of the tool's command line.
    std::wstring_view launchPrefix;

    // Where the availability check looks: always below the launcher's own folder.
    std::wstring CheckPath(std::wstring_view applicationFolder) const
    {
        std::wstring path(applicationFolder);
        path += L"\\distr\\";
        path += programFile;
        return path;
    }
};

inline constexpr std::array<ToolEntry, 2> ToolTable{{
    {Tool::GameEngine, ToolButton::Command1, L"eduke32.exe", L"distr\\eduke32.exe "},
    {Tool::MapEditor, ToolButton::Command2, L"mapster32.exe", L"distr\\mapster32.exe "},
}};

inline constexpr const ToolEntry& GameEngineTool = ToolTable[0];
inline constexpr const ToolEntry& MapEditorTool = ToolTable[1];

} // namespace karvolt
