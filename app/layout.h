#pragma once

#include "control_table.h"

#include <windows.h>

namespace karvolt {

inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

RECT TwipsToPixels(const TwipsRect& twips, UINT dpi);

// The density the window is shown at: its monitor's where the system knows per-monitor
// densities, the system's otherwise.
UINT DpiOfWindow(HWND window);

// Outer size of a window with the given client size, style and density.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// Top-left corner that centres a window of this size on its monitor's work area.
POINT CentredOnMonitor(HWND window, SIZE size);

} // namespace karvolt
