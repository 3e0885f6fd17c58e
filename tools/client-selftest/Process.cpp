#include "Process.h"

#include "dravik/protocol.h"

#include <fstream>
#include <iterator>

std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

UniqueHandle StartProcess(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(0);
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return UniqueHandle();
    CloseHandle(info.hThread);
    return UniqueHandle(info.hProcess);
}

bool NullViewer::Start(const std::string& recordFile, const std::string& options) {
    Close();
    recordFile_ = recordFile;
    std::string commandLine = "\"" + ProgramFolder() + "null-viewer.exe\" \"" + recordFile + "\" " + options;
    process_ = StartProcess(commandLine);
    if (!process_)
        return false;
    processId_ = GetProcessId(process_.get());
    // Several viewers may briefly coexist while an old one closes: only our own window counts.
    for (int attempt = 0; attempt < 200; ++attempt) {
        for (HWND found = FindWindowA(DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE); found != nullptr;
             found = FindWindowExA(nullptr, found, DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == processId_) {
                window_ = found;
                return true;
            }
        }
        if (WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0)
            break;
    }
    Kill();
    return false;
}

void NullViewer::Close() {
    if (!process_)
        return;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0)
        TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
    process_.reset();
    window_ = nullptr;
}

void NullViewer::Kill() {
    if (!process_)
        return;
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
    process_.reset();
    window_ = nullptr;
}

std::vector<std::string> NullViewer::Records() const {
    std::ifstream file(recordFile_, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find('\n', start)) != std::string::npos; start = end + 1)
        records.push_back(content.substr(start, end - start));
    return records;
}

TempFolder::TempFolder() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp, length) + "dravik-selftest-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    for (const std::string& file : files_)
        DeleteFileA(file.c_str());
    RemoveDirectoryA(path_.c_str());
}

std::string TempFolder::File(const std::string& name) {
    files_.push_back(path_ + name);
    return files_.back();
}
