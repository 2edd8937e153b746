// The control for the DLL planting test: loads shell32 from the system folder as the
// launcher does at the Donate click, but leaves the DLL search as Windows sets it up.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH - 12);
    if (length == 0 || length >= MAX_PATH - 12)
        return 2;
    lstrcpyW(path + length, L"\\shell32.dll");
    return LoadLibraryW(path) ? 0 : 1;
}
