#pragma once

#include <windows.h>

#include <cstddef>

enum class TViewUse { Read, ReadWrite };

// How many bytes from view on this process may use as asked: zero when the
// pages are not committed, or refuse that use. Another program can create a
// named object first as reserved memory or read-only; touching such a view
// faults, so every view of a shared object is checked before its first use.
inline std::size_t UsableViewBytes(const void* view, TViewUse use) {
    MEMORY_BASIC_INFORMATION info{};
    if (!view || ::VirtualQuery(view, &info, sizeof info) != sizeof info || info.State != MEM_COMMIT ||
        (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0)
        return 0;
    const DWORD writable = PAGE_READWRITE | PAGE_EXECUTE_READWRITE;
    return use == TViewUse::Read || (info.Protect & writable) != 0 ? info.RegionSize : 0;
}
