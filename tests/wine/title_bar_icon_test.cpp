// The running launcher's window shows the program icon in its title bar.
#include "driver.h"
#include "ico_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace karvolt::e2e {
namespace {

// The 16x16 true-colour image of the program icon, top row first: the one drawn in the
// title bar of a window on a true-colour screen. Read from the .ico file the exe carries
// byte for byte (the exe's own checks prove that).
std::vector<RGBQUAD> SmallTrueColourIcon()
{
    const auto ico = ReadFileBytes(SourcePath(L"resources\\karvolt.ico"));
    GroupIconHeader header{};
    if (ico.size() < sizeof header)
        return {};
    std::memcpy(&header, ico.data(), sizeof header);
    for (size_t i = 0; i < header.count; ++i) {
        IcoFileEntry entry{};
        if (ico.size() < sizeof header + (i + 1) * sizeof entry)
            return {};
        std::memcpy(&entry, ico.data() + sizeof header + i * sizeof entry, sizeof entry);
        if (entry.width != 16 || entry.bitCount != 32)
            continue;
        BITMAPINFOHEADER bitmap{};
        if (ico.size() < entry.imageOffset + sizeof bitmap + 16 * 16 * 4)
            return {};
        std::memcpy(&bitmap, ico.data() + entry.imageOffset, sizeof bitmap);
        const unsigned char* colours = ico.data() + entry.imageOffset + bitmap.biSize;
        std::vector<RGBQUAD> pixels(16 * 16);
        for (size_t row = 0; row < 16; ++row) // stored bottom-up
            std::memcpy(&pixels[row * 16], colours + (15 - row) * 16 * 4, 16 * 4);
        return pixels;
    }
    return {};
}

std::vector<RGBQUAD> CaptureScreen(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    std::vector<RGBQUAD> pixels(static_cast<const RGBQUAD*>(bits),
                                static_cast<const RGBQUAD*>(bits) + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool Near(BYTE a, BYTE b) { return (a > b ? a - b : b - a) <= 2; }

TEST(RunningWindow, ShowsTheProgramIconInItsTitleBar)
{
    // Another process cannot read the icon back under Wine: the window has only its class's
    // icons (WM_GETICON answers 0 for those, also on Windows) and Wine does not give
    // GCLP_HICON of another process's class. So the title bar is looked at instead: Wine
    // draws the class's small icon there, or its own logo where there is none.
    const auto icon = SmallTrueColourIcon();
    ASSERT_EQ(icon.size(), 256u);
    const auto opaque =
        std::count_if(icon.begin(), icon.end(), [](RGBQUAD p) { return p.rgbReserved == 255; });
    ASSERT_GT(opaque, 64) << "too few opaque pixels to recognise the icon by";

    ModFolder mod(false, false);
    Launcher launcher(mod);
    RECT window;
    GetWindowRect(launcher.Window(), &window);
    const RECT titleBar{window.left, window.top, window.left + 64, window.top + 48};
    const auto screen = CaptureScreen(titleBar);

    auto iconAt = [&](int x, int y) {
        for (int row = 0; row < 16; ++row)
            for (int column = 0; column < 16; ++column) {
                const RGBQUAD want = icon[static_cast<size_t>(row * 16 + column)];
                const RGBQUAD seen = screen[static_cast<size_t>((y + row) * 64 + x + column)];
                if (want.rgbReserved == 255 &&
                    !(Near(want.rgbRed, seen.rgbRed) && Near(want.rgbGreen, seen.rgbGreen) &&
                      Near(want.rgbBlue, seen.rgbBlue)))
                    return false;
            }
        return true;
    };
    bool found = false;
    for (int y = 0; y + 16 <= 48 && !found; ++y)
        for (int x = 0; x + 16 <= 64 && !found; ++x)
            found = iconAt(x, y);
    EXPECT_TRUE(found) << "the title bar does not show the program's 16x16 icon";
}

} // namespace
} // namespace karvolt::e2e
