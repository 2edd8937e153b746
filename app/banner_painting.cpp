#include "banner_painting.h"

namespace karvolt {

void PaintBanner(HDC dc, const RECT& area, HBITMAP bitmap, HBRUSH background)
{
    BITMAP info{};
    if (bitmap && GetObjectW(bitmap, sizeof info, &info)) {
        const HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ previous = SelectObject(source, bitmap);
        BitBlt(dc, area.left, area.top, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
        // Fill around the picture only, so nothing flickers under it.
        ExcludeClipRect(dc, area.left, area.top, area.left + info.bmWidth, area.top + info.bmHeight);
    }
    FillRect(dc, &area, background);
}

} // namespace karvolt
