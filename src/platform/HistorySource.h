#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/Win32Handles.h"
#include "platform/Win32HistoryFolder.h"
#include "platform/Win32HistoryLock.h"
#include "shell/historyview/HistoryModel.h"

// One history folder as the History window shows it: the folder, the model of its rows and the thread
// that does the model's work, reading, filtering and finding, so that the window's thread never waits
// for the disk. Made when the window opens and at each switch of the log file, and shared with the jobs
// that copy and export its rows: a switch never waits for them.
//
// The thread works while there is work, then waits until it is woken, or for a second, after which it
// looks at the folder again. When its work changed what the window shows it posts the window one message,
// and no other until the window has said that it looked (Acknowledge).
class THistorySource {
  public:
    THistorySource(const std::string& folder, HWND window, UINT changedMessage);
    // Stops the thread before the model goes.
    ~THistorySource();
    THistorySource(const THistorySource&) = delete;
    THistorySource& operator=(const THistorySource&) = delete;

    bool Start();
    THistoryModel& Model() { return FModel; }
    const std::string& Folder() const { return FFolder.Path(); }

    // Any thread: the writer has written, the folder is looked at again.
    void Refresh();
    // The window's thread, after asking the model for something.
    void Wake() { ::SetEvent(FWake.Get()); }
    // The window's thread, before it reads the model's counts and its find's answer.
    void Acknowledge() { FPosted = false; }
    // Why the thread ended early (it ran out of memory, say); empty while it works.
    std::string Failure() const;

  private:
    static DWORD WINAPI ThreadEntry(void* parameter);
    void Run();
    void Notify();

    TWin32HistoryFolder FFolder;
    TWin32HistoryLock FLock;
    THistoryModel FModel;
    const HWND FWindow;
    const UINT FChangedMessage;
    TKernelHandle FWake;
    TKernelHandle FThread;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FPosted{false};
    // Written before FFailed is set, and never after.
    char FFailure[200] = {};
    std::atomic<bool> FFailed{false};
};
