#pragma once

#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace karvolt {

// Owns one reference to a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComPtr()
    {
        if (ptr_)
            ptr_->Release();
    }

    T* operator->() const { return ptr_; }
    T* Get() const { return ptr_; }
    // For functions that hand out a new reference through a T** parameter.
    T** Receive() { return &ptr_; }
    void** ReceiveVoid() { return reinterpret_cast<void**>(&ptr_); }

private:
    T* ptr_ = nullptr;
};

// A BSTR copy of a wide string, freed with the system allocator.
class Bstr {
public:
    explicit Bstr(const wchar_t* text, UINT length) : bstr_(SysAllocStringLen(text, length)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(bstr_); }

    BSTR Get() const { return bstr_; }

private:
    BSTR bstr_;
};

// A VARIANT that clears whatever it ends up holding.
struct ScopedVariant : VARIANT {
    ScopedVariant() { VariantInit(this); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ~ScopedVariant() { VariantClear(this); }
};

// COM for the GUI thread, for the lifetime of the program.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (initialized_)
            CoUninitialize();
    }

private:
    bool initialized_;
};

} // namespace karvolt
