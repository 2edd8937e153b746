#include "shell_open.h"

#include "system_library.h"

#include <windows.h>

namespace karvolt {

std::optional<PlatformFailure> ShellExecuteNarrow(std::intptr_t ownerWindow, const std::string& operation,
                        const std::string& file, const std::string& parameters,
                        const std::string& directory, int showCommand)
{
    using ShellExecuteAFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static const auto shellExecute =
        SystemFunction<ShellExecuteAFunction>(L"shell32.dll", "ShellExecuteA");
    if (!shellExecute)
        return PlatformFailure{L"Could not call ShellExecuteA in shell32.dll.", ERROR_PROC_NOT_FOUND};
    shellExecute(reinterpret_cast<HWND>(ownerWindow), operation.c_str(), file.c_str(),
                 parameters.c_str(), directory.c_str(), showCommand);
    return std::nullopt;
}

} // namespace karvolt
