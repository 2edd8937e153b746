#pragma once

#include <windows.h>

#include <utility>

namespace karvolt {

// Owns a GDI object (font, bitmap) and deletes it.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~GdiObject()
    {
        if (handle_)
            DeleteObject(handle_);
    }

    Handle Get() const { return handle_; }

private:
    Handle handle_ = nullptr;
};

using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;

// The default dialog font at the given density.
Font DialogFontForDpi(UINT dpi);

} // namespace karvolt
