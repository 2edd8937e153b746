// Stands in for the game engine in the bench: writes the QueryPerformanceCounter value at
// its entry (8 bytes) to the file named by KARVOLT_STUB_RECORD, then exits. Wine's counter
// is one clock for every process, so the bench can subtract its own click time from it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    LARGE_INTEGER entered;
    QueryPerformanceCounter(&entered);

    wchar_t record[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"KARVOLT_STUB_RECORD", record, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 2;
    const HANDLE file = CreateFileW(record, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    WriteFile(file, &entered.QuadPart, sizeof entered.QuadPart, &written, nullptr);
    CloseHandle(file);
    return 0;
}
