#pragma once

#include <windows.h>

namespace karvolt {

// Draws the bitmap unscaled at the area's top-left corner and fills the rest of the area
// with the background brush.
void PaintBanner(HDC dc, const RECT& area, HBITMAP bitmap, HBRUSH background);

} // namespace karvolt
