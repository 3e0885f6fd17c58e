#include "viewer_run.h"

#include "files.h"
#include "wait.h"

#include "dravik/protocol.h"

namespace e2e {

namespace {
const char* const kViewerClass = DRAVIK_WINDOW_CLASS;
const char* const kViewerTitle = DRAVIK_WINDOW_TITLE;
} // namespace

std::vector<HWND> AllViewerWindows() {
    std::vector<HWND> windows;
    for (HWND window = nullptr;
         (window = FindWindowExA(nullptr, window, kViewerClass, kViewerTitle)) != nullptr;)
        windows.push_back(window);
    return windows;
}

HWND FindViewerWindow(DWORD processId) {
    for (const HWND window : AllViewerWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

HWND FindAnyViewerWindow() {
    return FindWindowA(kViewerClass, kViewerTitle);
}

namespace {
std::string& ViewerSourcePath() {
    static std::string path;
    return path;
}
} // namespace

void SetViewerSource(const std::string& exePath) {
    ViewerSourcePath() = exePath;
}

const std::string& ViewerSource() {
    if (ViewerSourcePath().empty())
        ViewerSourcePath() = OwnFolder() + "Dravik.exe";
    return ViewerSourcePath();
}

ViewerRun::ViewerRun() : folder_(MakeTempFolder()) {
    prepared_ = !folder_.empty() && UseViewer(ViewerSource());
}

bool ViewerRun::UseViewer(const std::string& exePath) {
    return !Running() && CopyFileA(exePath.c_str(), ExePath().c_str(), FALSE) != FALSE;
}

ViewerRun::~ViewerRun() {
    process_ = StartedProgram();
    // The viewer may still hold its files for a moment after its end under Wine.
    WaitFor(
        [this] {
            RemoveFolder(folder_);
            return !FolderExists(folder_);
        },
        3000);
}

bool ViewerRun::Launch() {
    if (!prepared_ || Running())
        return false;
    window_ = nullptr;
    return process_.Start("\"" + ExePath() + "\"", folder_);
}

bool ViewerRun::WaitForWindow(DWORD timeoutMs) {
    if (!process_.Started())
        return false;
    WaitFor(
        [this] {
            window_ = FindViewerWindow(process_.Id());
            return window_ != nullptr || !Running();
        },
        timeoutMs);
    return window_ != nullptr;
}

bool ViewerRun::WaitVisible(DWORD timeoutMs) {
    return window_ != nullptr &&
           WaitFor([this] { return IsWindowVisible(window_) != FALSE || !IsWindow(window_); }, timeoutMs) &&
           IsWindowVisible(window_) != FALSE;
}

bool ViewerRun::Start(bool waitVisible) {
    if (!Launch() || !WaitForWindow())
        return false;
    return !waitVisible || WaitVisible();
}

bool ViewerRun::WaitForExit(DWORD timeoutMs) {
    return process_.Started() && WaitFor([this] { return !Running(); }, timeoutMs);
}

bool ViewerRun::Close(DWORD timeoutMs) {
    if (!Running())
        return false;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForExit(timeoutMs))
        return true;
    Terminate();
    return false;
}

} // namespace e2e
