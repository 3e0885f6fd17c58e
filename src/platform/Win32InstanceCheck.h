#pragma once

#include <windows.h>

#include "platform/Win32Handles.h"
#include "shell/MainWindow.h"

// The single-instance rule on the window system: the viewer's own window,
// the other top-level windows, and the turn that viewers starting at the
// same moment take.
class TWin32InstanceCheck : public IInstanceCheck {
  public:
    // window is the main window's handle, once it is made.
    explicit TWin32InstanceCheck(const HWND& window) : FWindow(window) {}

    void BeginInstanceCheck() override;
    void EndInstanceCheck() override;
    std::string ClassName() const override;
    void SetTitle(const std::string& title) override;
    TWindowId FindTopLevelWindow(const std::string& className, const std::string& title) const override;
    void BringToTop(TWindowId window) override;
    void RequestTermination() override { FTerminationRequested = true; }
    bool TerminationRequested() const { return FTerminationRequested; }

  private:
    const HWND& FWindow;
    TKernelHandle FTurn;
    bool FTerminationRequested = false;
};
