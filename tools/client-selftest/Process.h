#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// The folder this program runs from, with a trailing backslash: its sibling programs live there.
std::string ProgramFolder();

// Starts a program with the given command line; null on failure.
UniqueHandle StartProcess(const std::string& commandLine);

// A null-viewer.exe run by the test, which records each command it receives into a file.
class NullViewer {
  public:
    NullViewer() = default;
    NullViewer(const NullViewer&) = delete;
    NullViewer& operator=(const NullViewer&) = delete;
    ~NullViewer() { Close(); }

    // Starts it and waits for its window; false when the window does not appear within a few seconds.
    bool Start(const std::string& recordFile, const std::string& options = std::string());
    // Asks it to close, as a user would, and waits for it to end.
    void Close();
    // Ends it at once, for a viewer that no longer answers.
    void Kill();

    // The commands received so far, one record each: "PRINT text", "CLEAR", "LOADFROMFILE name", ...
    std::vector<std::string> Records() const;
    HWND Window() const { return window_; }

  private:
    UniqueHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    std::string recordFile_;
};

// A fresh folder for one run's files, removed with its files at the end.
class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    std::string File(const std::string& name);

  private:
    std::string path_;
    std::vector<std::string> files_;
};
