#pragma once

#include <windows.h>

#include <utility>

namespace karvolt {

// Owns a kernel handle (process, thread, file) and closes it.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~UniqueHandle()
    {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }

    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

} // namespace karvolt
