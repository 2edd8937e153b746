#include "picture_box.h"

#include "banner_painting.h"

namespace karvolt {
namespace {

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
    PaintBanner(dc, client, bitmap, GetSysColorBrush(COLOR_MENUTEXT));
    EndPaint(window, &paint);
}

LRESULT OnLabelColours(HDC dc)
{
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

LRESULT CALLBACK PictureBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painting covers every pixel
    case WM_CTLCOLORSTATIC:
        return OnLabelColours(reinterpret_cast<HDC>(wParam));
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

void RegisterPictureBoxClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PictureBoxProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPictureBoxClass;
    RegisterClassExW(&windowClass);
}

void SetPictureBoxBitmap(HWND pictureBox, HBITMAP bitmap)
{
    SetWindowLongPtrW(pictureBox, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
    InvalidateRect(pictureBox, nullptr, FALSE);
}

} // namespace karvolt
