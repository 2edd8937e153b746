#include "gdi_object.h"

#include "system_library.h"

namespace karvolt {

Font MessageFontForDpi(UINT dpi)
{
    using ParametersForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto parametersForDpi =
        SystemFunction<ParametersForDpiFunction>(L"user32.dll", "SystemParametersInfoForDpi");

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!parametersForDpi ||
        !parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        // Older systems give the font at the system density only: scale it ourselves.
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        const HDC screen = GetDC(nullptr);
        const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        if (systemDpi > 0)
            metrics.lfMessageFont.lfHeight =
                MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), systemDpi);
    }
    return Font(CreateFontIndirectW(&metrics.lfMessageFont));
}

} // namespace karvolt
