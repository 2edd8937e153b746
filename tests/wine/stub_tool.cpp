// Stands in for the game engine, the map editor and a browser: appends what it was given
// (command line, current folder, its own path) to the file named by KARVOLT_STUB_RECORD,
// as UTF-16 fields ending in a NUL each, then exits.
#include <windows.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name)
{
    const DWORD capacity = GetEnvironmentVariableW(name, nullptr, 0);
    if (capacity == 0)
        return {};
    std::wstring value(capacity, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), capacity));
    return value;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::wstring recordPath = Environment(L"KARVOLT_STUB_RECORD");
    if (recordPath.empty())
        return 2;

    wchar_t folder[32768];
    const DWORD folderLength = GetCurrentDirectoryW(32768, folder);
    wchar_t self[32768];
    const DWORD selfLength = GetModuleFileNameW(nullptr, self, 32768);

    std::wstring record = GetCommandLineW();
    record += L'\0';
    record.append(folder, folderLength);
    record += L'\0';
    record.append(self, selfLength);
    record += L'\0';

    // Several copies may write at once: retry until the file is ours.
    for (int attempt = 0; attempt < 200; ++attempt) {
        const HANDLE file = CreateFileW(recordPath.c_str(), FILE_APPEND_DATA, 0, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)),
                      &written, nullptr);
            CloseHandle(file);
            return 0;
        }
        Sleep(10);
    }
    return 3;
}
