#include "viewer_run.h"

#include "files.h"
#include "wait.h"

#include "dravik/protocol.h"

#include <vector>

namespace e2e {

namespace {
const char* const kViewerClass = DRAVIK_WINDOW_CLASS;
const char* const kViewerTitle = DRAVIK_WINDOW_TITLE;
} // namespace

HWND FindViewerWindow(DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, kViewerClass, kViewerTitle)) != nullptr) {
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
    if (Running())
        Terminate();
    process_.Reset();
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
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + ExePath() + "\"";
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    if (!CreateProcessA(ExePath().c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder_.c_str(), &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = UniqueHandle(info.hProcess);
    processId_ = info.dwProcessId;
    return true;
}

bool ViewerRun::WaitForWindow(DWORD timeoutMs) {
    if (!process_.Valid())
        return false;
    WaitFor(
        [this] {
            window_ = FindViewerWindow(processId_);
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

bool ViewerRun::Running() const {
    return process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool ViewerRun::WaitForExit(DWORD timeoutMs) {
    return process_.Valid() && WaitFor([this] { return !Running(); }, timeoutMs);
}

DWORD ViewerRun::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_.Valid())
        GetExitCodeProcess(process_.Get(), &code);
    return code;
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

void ViewerRun::Terminate() {
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), 5000);
}

} // namespace e2e
