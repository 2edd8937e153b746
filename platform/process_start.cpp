#include "process_start.h"

#include "application_folder.h"
#include "system_library.h"
#include "unique_handle.h"

#include <windows.h>

#include <optional>

namespace karvolt {
namespace {

// CreateProcess takes at most this many characters, terminator included.
constexpr std::size_t kCommandLineCapacity = 32767;

bool IsRelative(const std::wstring& path)
{
    const bool hasDrive = path.size() >= 2 && path[1] == L':';
    const bool fromRoot = !path.empty() && (path[0] == L'\\' || path[0] == L'/');
    return !hasDrive && !fromRoot;
}

std::optional<std::wstring> CurrentDirectory()
{
    const DWORD capacity = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(capacity, L'\0');
    const DWORD length = GetCurrentDirectoryW(capacity, folder.data());
    if (length == 0 || length >= capacity)
        return std::nullopt;
    folder.resize(length);
    return folder;
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD capacity = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(capacity, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), capacity, full.data(), nullptr);
    if (length == 0 || length >= capacity)
        return path;
    full.resize(length);
    return full;
}

bool IsProgramFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> FindProgramFile(const std::wstring& program)
{
    if (!IsRelative(program))
        return IsProgramFile(program) ? std::optional(program) : std::nullopt;
    for (const auto& folder : {ReadApplicationFolder(), CurrentDirectory()}) {
        if (!folder)
            continue;
        std::wstring candidate = FullPath(*folder + L"\\" + program);
        if (IsProgramFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

} // namespace

std::optional<PlatformFailure> StartProgram(const std::wstring& commandLine, int windowStyle)
{
    const std::wstring program = commandLine.substr(0, commandLine.find(L' '));
    const std::wstring couldNotStart = L"Could not start \"" + program + L"\".";

    // Never start a shortened command line: the tool would get other arguments than typed.
    // No system code: the system's text for one would blame the file name.
    if (commandLine.size() >= kCommandLineCapacity)
        return PlatformFailure{couldNotStart + L" The argument line is too long.", 0};

    const auto programFile = FindProgramFile(program);
    if (!programFile)
        return PlatformFailure{couldNotStart, ERROR_FILE_NOT_FOUND};

    std::wstring writableCommandLine = commandLine; // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    const DWORD error = [&]() -> DWORD {
        const DefaultDllDirectoryForChildren defaultSearch;
        return CreateProcessW(programFile->c_str(), writableCommandLine.data(), nullptr, nullptr,
                              FALSE, 0, nullptr, nullptr, &startup, &started)
                   ? ERROR_SUCCESS
                   : GetLastError(); // read before the search is put back
    }();
    if (error != ERROR_SUCCESS)
        return PlatformFailure{couldNotStart, error};
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    return std::nullopt;
}

} // namespace karvolt
