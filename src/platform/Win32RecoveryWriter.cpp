#include "platform/Win32RecoveryWriter.h"

#include <process.h>

#include <cstdint>

#include "pane/FileSystem.h"

TWin32RecoveryWriter::~TWin32RecoveryWriter() {
    if (FThread) {
        ::SetEvent(FStop.Get());
        ::WaitForSingleObject(FThread.Get(), INFINITE);
    }
}

bool TWin32RecoveryWriter::StartThread() {
    if (FThread)
        return true;
    FWake = TKernelHandle(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    FStop = TKernelHandle(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    FIdle = TKernelHandle(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
    if (!FWake || !FStop || !FIdle)
        return false;
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, &ThreadMain, this, 0, nullptr);
    FThread = TKernelHandle(reinterpret_cast<HANDLE>(thread));
    return FThread.Valid();
}

void TWin32RecoveryWriter::Write(const std::string& name, const std::string& temporaryName,
                                 const std::string& text) {
    const bool threaded = StartThread();
    {
        const TLock lock(FLock);
        FName = name;
        FTemporaryName = temporaryName;
        FText = text;
        FBusy = true;
        if (threaded)
            ::ResetEvent(FIdle.Get());
    }
    if (threaded)
        ::SetEvent(FWake.Get());
    else
        WriteNow();
}

bool TWin32RecoveryWriter::Finished(bool& written) {
    const TLock lock(FLock);
    written = FWritten;
    return !FBusy;
}

void TWin32RecoveryWriter::WaitUntilFinished() {
    if (FThread)
        ::WaitForSingleObject(FIdle.Get(), INFINITE);
}

unsigned __stdcall TWin32RecoveryWriter::ThreadMain(void* self) {
    static_cast<TWin32RecoveryWriter*>(self)->Run();
    return 0;
}

void TWin32RecoveryWriter::Run() {
    const HANDLE wakers[] = {FStop.Get(), FWake.Get()};
    while (::WaitForMultipleObjects(2, wakers, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        WriteNow();
}

// Nothing may escape the thread: a write that throws has failed.
void TWin32RecoveryWriter::WriteNow() {
    bool written = false;
    try {
        std::string name;
        std::string temporaryName;
        std::string text;
        {
            const TLock lock(FLock);
            name.swap(FName);
            temporaryName.swap(FTemporaryName);
            text.swap(FText);
        }
        written = FFiles.WriteFileInOneStep(name, temporaryName, text);
    } catch (...) {
        written = false;
    }
    // Idle and not busy change together, so a write handed over meanwhile
    // is never taken for finished.
    const TLock lock(FLock);
    FWritten = written;
    FBusy = false;
    if (FIdle)
        ::SetEvent(FIdle.Get());
}
