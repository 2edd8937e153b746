#pragma once

#include <windows.h>

#include <oleacc.h>

namespace karvolt {

// What a screen reader announces for a control whose own text says nothing useful.
struct AccessibleName {
    const wchar_t* name; // must outlive the control
    LONG role;           // ROLE_SYSTEM_..., or 0 for the standard object's role
};

// From now until the control is destroyed, screen readers meet it under this name: its
// WM_GETOBJECT answer for the client area is the system's standard object with the name
// (and role) replaced, everything else (value, state, location, focus, navigation) left
// to the standard object. oleacc.dll is loaded on the first such request, never before;
// where it cannot be had, the control answers as if it had never been named.
void SetAccessibleName(HWND control, const AccessibleName& name);

} // namespace karvolt
