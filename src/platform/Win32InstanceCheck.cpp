#include "platform/Win32InstanceCheck.h"

void TWin32InstanceCheck::BeginInstanceCheck() {
    FTurn = TKernelHandle(::CreateMutexA(nullptr, FALSE, "DravikViewerInstanceCheck"));
    // Without the mutex the check still runs, only without taking turns. An
    // abandoned mutex (a viewer that died mid-check) is simply taken over.
    if (FTurn && ::WaitForSingleObject(FTurn.Get(), 10000) == WAIT_TIMEOUT)
        FTurn.Reset();
}

void TWin32InstanceCheck::EndInstanceCheck() {
    if (FTurn)
        ::ReleaseMutex(FTurn.Get());
    FTurn.Reset();
}

std::string TWin32InstanceCheck::ClassName() const {
    char name[256] = {};
    const int length = ::GetClassNameA(FWindow, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void TWin32InstanceCheck::SetTitle(const std::string& title) {
    ::SetWindowTextA(FWindow, title.c_str());
}

TWindowId TWin32InstanceCheck::FindTopLevelWindow(const std::string& className,
                                                  const std::string& title) const {
    return reinterpret_cast<TWindowId>(::FindWindowA(className.c_str(), title.c_str()));
}

void TWin32InstanceCheck::BringToTop(TWindowId window) {
    ::BringWindowToTop(reinterpret_cast<HWND>(window));
}
