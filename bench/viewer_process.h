#pragma once

#include "channel_client.h"
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

// One started viewer (Dravik.exe or the null viewer), found by the window class and title of its channel.
class ViewerProcess {
  public:
    explicit ViewerProcess(const ChannelNames& names) : names_(names) {}
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;
    ~ViewerProcess();

    bool Start(const std::string& exe, const std::string& arguments, const std::string& folder);
    HWND Window() const { return window_; }
    DWORD Id() const { return processId_; }
    HANDLE Handle() const { return process_.Get(); }
    // Seconds from CreateProcess until the window exists and answers, or a negative value if it never did.
    double WaitAnswering(DWORD timeoutMs);
    bool WaitShownNormally(DWORD timeoutMs) const;
    bool Memory(MemoryFigures& figures) const;
    // Processor time the viewer has used so far, user and kernel together; negative when it cannot be read.
    double CpuSeconds() const;
    bool ReadPane(std::string& text) const;
    // Asks for the length of the viewer's text as any reader would (the pane's, or the window's where there
    // is no pane) and waits for the answer: Dravik first brings its edit control in step.
    bool AskTextLength() const;
    // Closes the window as a user would and waits for the end; ends the process hard if it does not stop.
    bool Close(DWORD timeoutMs);

  private:
    bool Running() const;
    HWND Pane() const;

    ChannelNames names_;
    TKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    mutable HWND pane_ = nullptr;
    std::string exe_;
    mutable std::string linuxPid_;
    double started_ = 0;
};

} // namespace bench
