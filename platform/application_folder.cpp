#include "application_folder.h"

namespace karvolt {

std::optional<std::wstring> ModulePath(HMODULE module)
{
    // The longest path Windows can hand out is 32767 characters; grow up to that.
    for (DWORD capacity = MAX_PATH; capacity <= 65536; capacity *= 2) {
        std::wstring path(capacity, L'\0');
        const DWORD length = GetModuleFileNameW(module, path.data(), capacity);
        if (length == 0)
            break;
        if (length < capacity) {
            path.resize(length);
            return path;
        }
    }
    return std::nullopt;
}

std::optional<std::wstring> ReadApplicationFolder()
{
    const auto path = ModulePath();
    if (!path)
        return std::nullopt;
    const auto lastSeparator = path->find_last_of(L"\\/");
    if (lastSeparator == std::wstring::npos || lastSeparator == 0)
        return std::nullopt;
    return path->substr(0, lastSeparator);
}

} // namespace karvolt
