#pragma once

#include <windows.h>

namespace karvolt {

// A sunken picture area that can hold the keyboard focus (without a focus mark) and shows
// a bitmap at its own pixel size from its top-left corner, the rest in the menu-text
// colour. Its child labels are drawn white and transparent over the picture.
inline constexpr wchar_t kPictureBoxClass[] = L"KarvoltPictureBox";

void RegisterPictureBoxClass(HINSTANCE instance);

// The bitmap stays owned by the caller and must outlive the picture box.
void SetPictureBoxBitmap(HWND pictureBox, HBITMAP bitmap);

} // namespace karvolt
