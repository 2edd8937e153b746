// The floor the launcher is measured against: what any program of its kind costs when
// built the same way. One registered class, one plain top-level window of the launcher's
// client size, the one FileSystemObject FileExists call the tool check needs, a message loop.
#include "control_table.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

namespace {

constexpr wchar_t kClass[] = L"KarvoltBareWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool FileExists(const wchar_t* path)
{
    CLSID classId{};
    IDispatch* fileSystem = nullptr;
    if (FAILED(CLSIDFromProgID(L"Scripting.FileSystemObject", &classId)) ||
        FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&fileSystem))))
        return false;

    wchar_t methodName[] = L"FileExists";
    LPOLESTR names[] = {methodName};
    DISPID method = 0;
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocString(path);
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    VARIANT answer;
    VariantInit(&answer);
    const bool found =
        SUCCEEDED(fileSystem->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &method)) &&
        SUCCEEDED(fileSystem->Invoke(method, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                     &parameters, &answer, nullptr, nullptr)) &&
        answer.vt == VT_BOOL && answer.boolVal != VARIANT_FALSE;
    VariantClear(&answer);
    VariantClear(&argument);
    fileSystem->Release();
    return found;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClass;
    RegisterClassExW(&windowClass);

    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    RECT frame{0, 0, MulDiv(karvolt::kClientWidthTwips, dpi, 1440),
               MulDiv(karvolt::kClientHeightTwips, dpi, 1440)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const HWND window = CreateWindowExW(0, kClass, L"Bare window", kStyle, CW_USEDEFAULT,
                                        CW_USEDEFAULT, frame.right - frame.left,
                                        frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    FileExists(self);

    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (com)
        CoUninitialize();
    return static_cast<int>(message.wParam);
}
