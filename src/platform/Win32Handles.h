#pragma once

#include <windows.h>

#include <utility>

// Owners of Win32 resources: each closes its resource in its destructor and
// nowhere else. Move-only.
template <typename THandle, typename TTraits> class TOwned {
  public:
    TOwned() = default;
    explicit TOwned(THandle handle) : FHandle(handle) {}
    TOwned(const TOwned&) = delete;
    TOwned& operator=(const TOwned&) = delete;
    TOwned(TOwned&& other) noexcept : FHandle(std::exchange(other.FHandle, TTraits::Invalid())) {}
    TOwned& operator=(TOwned&& other) noexcept {
        if (this != &other) {
            Reset();
            FHandle = std::exchange(other.FHandle, TTraits::Invalid());
        }
        return *this;
    }
    ~TOwned() { Reset(); }

    THandle Get() const { return FHandle; }
    bool Valid() const { return FHandle != TTraits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    void Reset() {
        if (Valid())
            TTraits::Close(FHandle);
        FHandle = TTraits::Invalid();
    }

  private:
    THandle FHandle = TTraits::Invalid();
};

struct TKernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
// CreateFile reports failure with INVALID_HANDLE_VALUE instead of null.
struct TFileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
struct TRegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};
struct TMappedViewTraits {
    static void* Invalid() { return nullptr; }
    static void Close(void* view) { ::UnmapViewOfFile(view); }
};
struct TGdiObjectTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ object) { ::DeleteObject(object); }
};
struct TMenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU menu) { ::DestroyMenu(menu); }
};

using TKernelHandle = TOwned<HANDLE, TKernelHandleTraits>;
using TFileHandle = TOwned<HANDLE, TFileHandleTraits>;
using TRegKey = TOwned<HKEY, TRegKeyTraits>;
using TMappedView = TOwned<void*, TMappedViewTraits>;
using TGdiObject = TOwned<HGDIOBJ, TGdiObjectTraits>;
using TMenu = TOwned<HMENU, TMenuTraits>;
