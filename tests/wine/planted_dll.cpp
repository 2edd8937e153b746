// Stands in for a system DLL planted beside a program or in its current folder: whichever
// process loads it appends the three fields the stub tool writes (command line, current
// folder, the DLL's own path) to the file named by KARVOLT_STUB_RECORD. Built without the
// C runtime and importing only kernel32, so it loads under any name, msvcrt.dll included.
#include <windows.h>

namespace {

// Static, not on the stack: without the runtime there is no stack probe for big frames.
wchar_t g_recordPath[32768];
wchar_t g_folder[32768];
wchar_t g_self[32768];

void Write(HANDLE file, const wchar_t* text, DWORD length)
{
    DWORD written = 0;
    WriteFile(file, text, (length + 1) * sizeof(wchar_t), &written, nullptr); // with its NUL
}

void Record(HINSTANCE self)
{
    const DWORD pathLength = GetEnvironmentVariableW(L"KARVOLT_STUB_RECORD", g_recordPath, 32768);
    if (pathLength == 0 || pathLength >= 32768)
        return;
    const wchar_t* commandLine = GetCommandLineW();
    const DWORD folderLength = GetCurrentDirectoryW(32768, g_folder);
    const DWORD selfLength = GetModuleFileNameW(self, g_self, 32767);
    g_self[selfLength] = L'\0';

    // Several processes may write at once: retry until the file is ours, then write the
    // whole record while no one else can open it.
    for (int attempt = 0; attempt < 200; ++attempt) {
        const HANDLE file = CreateFileW(g_recordPath, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            Write(file, commandLine, static_cast<DWORD>(lstrlenW(commandLine)));
            Write(file, g_folder, folderLength);
            Write(file, g_self, selfLength);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Record(self);
    return TRUE;
}
