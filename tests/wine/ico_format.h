#pragma once

// The icon formats: an .ico file's header and directory, and the icon group resource that
// an exe holds in their place (the same entries, with a resource ID for the file offset).

#include <windows.h>

namespace karvolt::e2e {

#pragma pack(push, 2)
struct GroupIconHeader { // also the .ico file's header
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct IcoFileEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    DWORD imageOffset;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14 && sizeof(IcoFileEntry) == 16);

} // namespace karvolt::e2e
