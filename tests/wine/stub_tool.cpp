// Stands in for the game engine, the map editor and a browser: appends what it was given
// to the file named by KARVOLT_STUB_RECORD, as UTF-16 fields ending in a NUL each, then
// exits. The record is the command line, the current folder and its own path, followed by
// "name=value" fields marked with a leading U+001F: its process id and the window style it
// was started with. (A command line begins with a program name, which holds no control
// characters, so a marked field never reads as the next record's start.)
//
// With KARVOLT_STUB_HOLD naming an event, it stays alive after writing its record until
// the event is set, or a minute at most, so that a test can see who waits for it.
#include <windows.h>

#include <string>

namespace {

constexpr DWORD kLongestHoldMs = 60000;

std::wstring Environment(const wchar_t* name)
{
    const DWORD capacity = GetEnvironmentVariableW(name, nullptr, 0);
    if (capacity == 0)
        return {};
    std::wstring value(capacity, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), capacity));
    return value;
}

void AddField(std::wstring& record, const std::wstring& field)
{
    record += field;
    record += L'\0';
}

void AddMarkedField(std::wstring& record, const wchar_t* name, unsigned long value)
{
    AddField(record, L"\x1f" + std::wstring(name) + L"=" + std::to_wstring(value));
}

bool Append(const std::wstring& path, const std::wstring& record)
{
    // Several copies may write at once: retry until the file is ours.
    for (int attempt = 0; attempt < 200; ++attempt) {
        const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)),
                      &written, nullptr);
            CloseHandle(file);
            return true;
        }
        Sleep(10);
    }
    return false;
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
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);

    std::wstring record;
    AddField(record, GetCommandLineW());
    AddField(record, std::wstring(folder, folderLength));
    AddField(record, std::wstring(self, selfLength));
    AddMarkedField(record, L"process", GetCurrentProcessId());
    AddMarkedField(record, L"startupFlags", startup.dwFlags);
    AddMarkedField(record, L"showWindow", startup.wShowWindow);
    if (!Append(recordPath, record))
        return 3;

    const std::wstring holdEvent = Environment(L"KARVOLT_STUB_HOLD");
    if (holdEvent.empty())
        return 0;
    const HANDLE hold = OpenEventW(SYNCHRONIZE, FALSE, holdEvent.c_str());
    if (!hold)
        return 4;
    const DWORD waited = WaitForSingleObject(hold, kLongestHoldMs);
    CloseHandle(hold);
    return waited == WAIT_OBJECT_0 ? 0 : 5;
}
