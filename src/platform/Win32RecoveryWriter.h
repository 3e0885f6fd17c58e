#pragma once

#include <windows.h>

#include <string>

#include "platform/Win32Handles.h"
#include "platform/Win32Lock.h"
#include "shell/RecoveryFile.h"

class IFileSystem;

// Writes the recovery copy on a thread of its own: the window's thread only
// hands the text over, and never waits for the disk while clients print. The
// thread is made with the first write; where it cannot be made, the write is
// done on the caller's thread rather than not at all.
class TWin32RecoveryWriter : public IRecoveryWriter {
  public:
    explicit TWin32RecoveryWriter(IFileSystem& files) : FFiles(files) {}
    ~TWin32RecoveryWriter() override;
    TWin32RecoveryWriter(const TWin32RecoveryWriter&) = delete;
    TWin32RecoveryWriter& operator=(const TWin32RecoveryWriter&) = delete;

    void Write(const std::string& name, const std::string& temporaryName, const std::string& text) override;
    bool Finished(bool& written) override;
    void WaitUntilFinished() override;

  private:
    static unsigned __stdcall ThreadMain(void* self);
    bool StartThread();
    void Run();
    void WriteNow();

    IFileSystem& FFiles;
    TKernelHandle FWake;
    TKernelHandle FStop;
    // Set while no write is in progress.
    TKernelHandle FIdle;
    TKernelHandle FThread;

    // The write handed over, shared by both threads.
    TCriticalSection FLock;
    std::string FName;
    std::string FTemporaryName;
    std::string FText;
    bool FBusy = false;
    bool FWritten = false;
};
