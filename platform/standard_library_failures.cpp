// The launcher is built without exceptions. The few failures the C++ library can raise
// (out of memory, impossible sizes) have no handler here and would otherwise drag the
// whole exception runtime into the exe; they end the program with a report instead.

#include <windows.h>

#include <cstddef>
#include <new>

namespace {

[[noreturn]] void EndWithLibraryFailure()
{
    // No allocation here: memory may be what ran out.
    MessageBoxW(nullptr, L"The launcher ran out of memory.", L"Karvolt Launcher",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}

} // namespace

void* operator new(std::size_t size)
{
    if (void* memory = HeapAlloc(GetProcessHeap(), 0, size ? size : 1))
        return memory;
    EndWithLibraryFailure();
}

void operator delete(void* memory) noexcept
{
    if (memory)
        HeapFree(GetProcessHeap(), 0, memory);
}

void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }

#if defined(__GLIBCXX__)
// libstdc++ routes its container errors through these; with exceptions off they have
// nothing to throw to.
namespace std {
void __throw_bad_alloc() { EndWithLibraryFailure(); }
void __throw_bad_array_new_length() { EndWithLibraryFailure(); }
void __throw_length_error(const char*) { EndWithLibraryFailure(); }
void __throw_logic_error(const char*) { EndWithLibraryFailure(); }
void __throw_out_of_range(const char*) { EndWithLibraryFailure(); }
void __throw_out_of_range_fmt(const char*, ...) { EndWithLibraryFailure(); }
} // namespace std
#endif
