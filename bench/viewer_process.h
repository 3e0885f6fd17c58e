#pragma once

#include "platform/Win32Handles.h"

#include <windows.h>

#include <string>

namespace bench {

struct MemoryFigures {
    double privateBytes = 0;
    double workingSet = 0;
    // The committed private regions of the address space, counted one by one: a cross-check of privateBytes.
    double committedPrivate = 0;
};

// One started viewer (Dravik.exe or the null viewer), found by its window class and title.
class ViewerProcess {
  public:
    ViewerProcess() = default;
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;
    ~ViewerProcess();

    bool Start(const std::string& exe, const std::string& arguments, const std::string& folder);
    // Seconds from CreateProcess until the window exists and answers, or a negative value if it never did.
    double WaitAnswering(DWORD timeoutMs);
    bool WaitShownNormally(DWORD timeoutMs) const;
    bool Memory(MemoryFigures& figures) const;
    // Processor time the viewer has used so far, user and kernel together.
    double CpuSeconds() const;
    bool ReadPane(std::string& text) const;
    // Closes the window as a user would and waits for the end; ends the process hard if it does not stop.
    bool Close(DWORD timeoutMs);

  private:
    bool Running() const;

    TKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    double started_ = 0;
};

} // namespace bench
