#pragma once

#include "process.h"

#include <string>
#include <vector>

namespace e2e {

// Finds the viewer's main window ("TfrmDebug", "Korvane Dravik") that belongs to the given process.
HWND FindViewerWindow(DWORD processId);
// Any viewer window at all, whichever process owns it.
HWND FindAnyViewerWindow();
std::vector<HWND> AllViewerWindows();

// The Dravik.exe that ViewerRun copies: by default the one beside the test program. A test of the two builds
// together names the other build's.
void SetViewerSource(const std::string& exePath);
const std::string& ViewerSource();

// One copy of Dravik.exe in a fresh temporary folder, so that its default log file DebugLog.txt lands beside
// that copy and nowhere else. The process can be started, closed and started again from the same folder.
class ViewerRun {
  public:
    ViewerRun();
    ViewerRun(const ViewerRun&) = delete;
    ViewerRun& operator=(const ViewerRun&) = delete;
    // Ends the process if the test left it running, then removes the folder.
    ~ViewerRun();

    // The folder exists and holds the copy of Dravik.exe.
    bool Prepared() const { return prepared_; }
    const std::string& Folder() const { return folder_; }
    std::string ExePath() const { return folder_ + "Dravik.exe"; }
    std::string LogPath() const { return folder_ + "DebugLog.txt"; }
    // Replaces the copy with another Dravik.exe while the viewer is not running, keeping the folder.
    bool UseViewer(const std::string& exePath);

    // Starts the process with the folder as its current directory, and waits for its window; with
    // waitVisible, also until the window is shown, which the viewer does after its start-up sequence.
    bool Start(bool waitVisible = true);
    bool Launch();
    bool WaitForWindow(DWORD timeoutMs = 15000);
    bool WaitVisible(DWORD timeoutMs = 15000);

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return process_.Id(); }
    HANDLE Process() const { return process_.Handle(); }
    bool Running() const { return process_.Running(); }
    bool WaitForExit(DWORD timeoutMs);
    DWORD ExitCode() const { return process_.ExitCode(); }

    // Posts WM_CLOSE and waits for the process to end. When it does not end in time, it is terminated and
    // the result is false.
    bool Close(DWORD timeoutMs = 15000);
    // Ends the process at once, as the task manager does, and waits for its end.
    void Terminate() { process_.Terminate(); }

  private:
    std::string folder_;
    bool prepared_ = false;
    StartedProgram process_;
    HWND window_ = nullptr;
};

} // namespace e2e
