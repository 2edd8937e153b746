#include "system_library.h"

#include <string>

namespace karvolt {
namespace {

// Set when only the older restriction, the process's DLL directory, is in force.
bool g_dllDirectoryRestricts = false;

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

} // namespace

FARPROC SystemProcAddress(const wchar_t* library, const char* function)
{
    // Libraries already loaded (kernel32, user32) are taken as they are.
    HMODULE module = GetModuleHandleW(library);
    if (!module) {
        const std::wstring folder = SystemFolder();
        if (folder.empty())
            return nullptr;
        module = LoadLibraryW((folder + L"\\" + library).c_str());
    }
    return module ? GetProcAddress(module, function) : nullptr;
}

void RestrictDllSearchToSystemFolder()
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    const auto setDefaultDllDirectories = AsFunction<SetDefaultDllDirectoriesFunction>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"));
    if (setDefaultDllDirectories && setDefaultDllDirectories(kSearchSystem32))
        return;
    // Older systems: at least take the current folder out of the search.
    g_dllDirectoryRestricts = SetDllDirectoryW(L"") != FALSE;
}

DefaultDllDirectoryForChildren::DefaultDllDirectoryForChildren()
{
    if (g_dllDirectoryRestricts)
        SetDllDirectoryW(nullptr);
}

DefaultDllDirectoryForChildren::~DefaultDllDirectoryForChildren()
{
    if (g_dllDirectoryRestricts)
        SetDllDirectoryW(L"");
}

} // namespace karvolt
