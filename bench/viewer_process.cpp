#include "viewer_process.h"

#include "clock.h"

#include <psapi.h>

#include <cstdint>
#include <sstream>
#include <vector>

namespace bench {

namespace {

const DWORD kAnswerTimeoutMs = 5000;

HWND FindViewerWindow(DWORD processId, const ChannelNames& names) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, names.windowClass, names.title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

BOOL CALLBACK FindEdit(HWND child, LPARAM found) {
    char className[16];
    if (GetClassNameA(child, className, sizeof className) > 0 && lstrcmpiA(className, "Edit") == 0) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ReadSmallFile(const std::string& path) {
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file.Valid() && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

// Under Wine every Windows process is a Linux process, whose entry in /proc the Z: drive shows and whose
// command line starts with the Windows path of its exe.
std::string FindLinuxProcess(const std::string& exe) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return std::string();
    std::string found;
    do {
        const std::string name = entry.cFileName;
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string commandLine = ReadSmallFile("Z:\\proc\\" + name + "\\cmdline");
        if (lstrcmpiA(commandLine.c_str(), exe.c_str()) == 0)
            found = name;
    } while (found.empty() && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// User and system time from /proc/PID/stat, fields 14 and 15 in ticks of 1/100 s; the name before them is in
// parentheses and may hold spaces.
double LinuxProcessSeconds(const std::string& pid) {
    const std::string stat = ReadSmallFile("Z:\\proc\\" + pid + "\\stat");
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string skipped;
    for (int field = 3; field < 14; ++field)
        fields >> skipped;
    double user = 0;
    double system = 0;
    if (!(fields >> user >> system))
        return -1;
    return (user + system) / 100;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer) {
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                               &answer) != 0;
}

} // namespace

ViewerProcess::~ViewerProcess() {
    if (Running()) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), kAnswerTimeoutMs);
    }
}

bool ViewerProcess::Start(const std::string& exe, const std::string& arguments, const std::string& folder) {
    std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    window_ = nullptr;
    pane_ = nullptr;
    exe_ = exe;
    linuxPid_.clear();
    started_ = Seconds();
    if (!CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = TKernelHandle(info.hProcess);
    processId_ = info.dwProcessId;
    return true;
}

// Polls instead of waiting on an event: the viewer offers none, and a poll every millisecond costs the
// measured figure at most about that millisecond.
double ViewerProcess::WaitAnswering(DWORD timeoutMs) {
    const double deadline = started_ + timeoutMs / 1000.0;
    while (Running() && Seconds() < deadline) {
        if (window_ == nullptr)
            window_ = FindViewerWindow(processId_, names_);
        DWORD_PTR answer = 0;
        if (window_ != nullptr && Send(window_, WM_NULL, 0, 0, answer))
            return Seconds() - started_;
        Sleep(1);
    }
    return -1;
}

bool ViewerProcess::WaitShownNormally(DWORD timeoutMs) const {
    const double deadline = Seconds() + timeoutMs / 1000.0;
    do {
        if (IsWindowVisible(window_) && !IsIconic(window_) && !IsZoomed(window_))
            return true;
        Sleep(10);
    } while (Seconds() < deadline);
    return false;
}

bool ViewerProcess::Memory(MemoryFigures& figures) const {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process_.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
        return false;
    }
    // Windows documents PagefileUsage as the same commit charge; Wine 8 fills only that one.
    figures.privateBytes =
        static_cast<double>(counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage);
    figures.workingSet = static_cast<double>(counters.WorkingSetSize);
    MEMORY_BASIC_INFORMATION region;
    std::uintptr_t address = 0;
    while (VirtualQueryEx(process_.Get(), reinterpret_cast<const void*>(address), &region, sizeof region) ==
           sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            figures.committedPrivate += static_cast<double>(region.RegionSize);
        const std::uintptr_t next = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (next <= address) // the end of the address space
            break;
        address = next;
    }
    return true;
}

// Wine answers GetProcessTimes for another process with the caller's own times, so under Wine the viewer's
// Linux process is asked instead.
double ViewerProcess::CpuSeconds() const {
    if (RunningUnderWine()) {
        if (linuxPid_.empty())
            linuxPid_ = FindLinuxProcess(exe_);
        return linuxPid_.empty() ? -1 : LinuxProcessSeconds(linuxPid_);
    }
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process_.Get(), &created, &exited, &kernel, &user))
        return -1;
    const auto seconds = [](const FILETIME& time) {
        return (static_cast<double>(time.dwHighDateTime) * 4294967296.0 + time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Looked up once: a timed block ends with a question to the pane, which should cost no more than the
// null viewer's.
HWND ViewerProcess::Pane() const {
    if (pane_ == nullptr && window_ != nullptr)
        EnumChildWindows(window_, FindEdit, reinterpret_cast<LPARAM>(&pane_));
    return pane_;
}

bool ViewerProcess::ReadPane(std::string& text) const {
    const HWND pane = Pane();
    DWORD_PTR length = 0;
    if (pane == nullptr || !Send(pane, WM_GETTEXTLENGTH, 0, 0, length))
        return false;
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!Send(pane, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied))
        return false;
    text.assign(buffer.data(), copied);
    return true;
}

bool ViewerProcess::AskTextLength() const {
    const HWND pane = Pane();
    DWORD_PTR length = 0;
    return Send(pane != nullptr ? pane : window_, WM_GETTEXTLENGTH, 0, 0, length);
}

bool ViewerProcess::Close(DWORD timeoutMs) {
    if (!Running())
        return false;
    if (window_ != nullptr && PostMessageA(window_, WM_CLOSE, 0, 0) &&
        WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0) {
        return true;
    }
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), kAnswerTimeoutMs);
    return false;
}

bool ViewerProcess::Running() const {
    return process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

} // namespace bench
