#include "platform/Win32SharedMemory.h"

#include <windows.h>

#include "platform/Win32Handles.h"
#include "platform/Win32View.h"

namespace {
class TWin32SharedRegion : public ISharedRegion {
  public:
    TWin32SharedRegion(TKernelHandle mapping, TMappedView view, std::size_t viewSize)
        : FMapping(std::move(mapping)), FView(std::move(view)), FViewSize(viewSize) {}

    const unsigned char* View() const override { return static_cast<const unsigned char*>(FView.Get()); }
    std::size_t ViewSize() const override { return FViewSize; }

  private:
    // The view is unmapped before the mapping handle is closed.
    TKernelHandle FMapping;
    TMappedView FView;
    std::size_t FViewSize;
};
} // namespace

std::unique_ptr<ISharedRegion> TWin32SharedMemory::CreateRegion(const std::string& name, std::int32_t size) {
    // An object that a client created first is used as it is, whatever its size.
    TKernelHandle mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               static_cast<DWORD>(size), name.c_str()));
    if (!mapping)
        return nullptr;
    TMappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!view)
        return nullptr;
    // What is really mapped (whole pages) bounds every read of the region. A
    // region that another program made first as reserved or read-only memory
    // would fault at the first read: it is a channel that could not be opened.
    const std::size_t usable = UsableViewBytes(view.Get(), TViewUse::ReadWrite);
    if (usable < static_cast<std::size_t>(size))
        return nullptr;
    return std::make_unique<TWin32SharedRegion>(std::move(mapping), std::move(view), usable);
}
