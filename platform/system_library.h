#pragma once

#include <windows.h>

namespace karvolt {

// Loads a library from the system folder only (never from next to the exe or the current
// folder) and looks up one of its functions; nullptr where either is missing.
FARPROC SystemProcAddress(const wchar_t* library, const char* function);

// FARPROC's signature is a placeholder; going through a plain function pointer type tells
// the compiler the cast to the real signature is intended.
template <typename Function>
Function AsFunction(FARPROC address)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

template <typename Function>
Function SystemFunction(const wchar_t* library, const char* function)
{
    return AsFunction<Function>(SystemProcAddress(library, function));
}

// Restricts the DLL search of this process to the system folder, as early as possible.
void RestrictDllSearchToSystemFolder();

// Programs started while this lives search for their DLLs as when started by hand. Where
// the restriction above had to fall back to SetDllDirectoryW, Windows would hand that
// setting on to them; it is lifted for the start only and put back afterwards.
class DefaultDllDirectoryForChildren {
public:
    DefaultDllDirectoryForChildren();
    DefaultDllDirectoryForChildren(const DefaultDllDirectoryForChildren&) = delete;
    DefaultDllDirectoryForChildren& operator=(const DefaultDllDirectoryForChildren&) = delete;
    ~DefaultDllDirectoryForChildren();
};

} // namespace karvolt
