#include "platform/HistorySource.h"

#include <cstring>
#include <exception>

#include "common/ScopeGuard.h"

namespace {
// Without a word from the writer, the folder is looked at again this often.
const DWORD RefreshIntervalMs = 1000;
} // namespace

THistorySource::THistorySource(const std::string& folder, HWND window, UINT changedMessage)
    : FFolder(folder), FModel(FFolder, FLock), FWindow(window), FChangedMessage(changedMessage),
      FWake(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

THistorySource::~THistorySource() {
    if (!FThread)
        return;
    FStop = true;
    ::SetEvent(FWake.Get());
    ::WaitForSingleObject(FThread.Get(), INFINITE);
}

bool THistorySource::Start() {
    if (!FWake)
        return false;
    FThread = TKernelHandle(::CreateThread(nullptr, 0, &THistorySource::ThreadEntry, this, 0, nullptr));
    if (!FThread)
        return false;
    // The window's thread and the clients it answers come first.
    ::SetThreadPriority(FThread.Get(), THREAD_PRIORITY_BELOW_NORMAL);
    return true;
}

void THistorySource::Refresh() {
    FModel.Refresh();
    ::SetEvent(FWake.Get());
}

std::string THistorySource::Failure() const {
    return FFailed ? std::string(FFailure) : std::string();
}

DWORD WINAPI THistorySource::ThreadEntry(void* parameter) {
    auto* self = static_cast<THistorySource*>(parameter);
    const char* failure = nullptr;
    try {
        self->Run();
    } catch (const std::exception& error) {
        failure = error.what();
        std::strncpy(self->FFailure, failure, sizeof self->FFailure - 1);
    } catch (...) {
        std::strncpy(self->FFailure, "unknown error", sizeof self->FFailure - 1);
        failure = self->FFailure;
    }
    if (failure) {
        self->FFailed = true;
        self->FPosted = false;
        self->Notify();
    }
    return 0;
}

// The file being read stays open from block to block, and is closed before the thread rests or ends.
void THistorySource::Run() {
    FFolder.KeepFilesOpen();
    const TScopeGuard closeFile([this] { FFolder.CloseKeptFile(); });
    while (!FStop) {
        switch (FModel.Step()) {
        case THistoryWork::Changed:
            Notify();
            break;
        case THistoryWork::Busy:
            break;
        case THistoryWork::Idle:
            FFolder.CloseKeptFile();
            if (::WaitForSingleObject(FWake.Get(), RefreshIntervalMs) == WAIT_TIMEOUT)
                FModel.Refresh();
            break;
        }
    }
}

void THistorySource::Notify() {
    if (!FPosted.exchange(true) && !::PostMessageW(FWindow, FChangedMessage, 0, 0))
        FPosted = false;
}
