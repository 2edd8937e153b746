#include "layout.h"

#include "system_library.h"

namespace karvolt {

RECT TwipsToPixels(const TwipsRect& twips, UINT dpi)
{
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    return {left, top, left + TwipsToPixels(twips.width, dpi), top + TwipsToPixels(twips.height, dpi)};
}

UINT DpiOfWindow(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        SystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window))
            return dpi;
    }
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi)
{
    using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi =
        SystemFunction<AdjustForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT frame{0, 0, client.cx, client.cy};
    if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

POINT CentredOnMonitor(HWND window, SIZE size)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    return {area.left + (area.right - area.left - size.cx) / 2,
            area.top + (area.bottom - area.top - size.cy) / 2};
}

} // namespace karvolt
