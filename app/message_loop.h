#pragma once

#include <windows.h>

namespace karvolt {

// Runs until the window is gone; Tab, Shift+Tab, Enter and Space work as in a dialog.
int RunMessageLoop(HWND window);

} // namespace karvolt
