#include "platform/Win32History.h"

#include <process.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/Win32Clock.h"
#include "platform/Win32CodePage.h"
#include "platform/Win32HistoryDisk.h"
#include "platform/Win32Lock.h"
#include "shell/history/HistoryHandOver.h"
#include "shell/history/HistoryWriter.h"

struct TWin32History::TShared {
    TShared(std::uint64_t limitBytes, HWND window, UINT noticeMessage)
        : HandOver(ToUtf8, limitBytes != 0), Window(window), NoticeMessage(noticeMessage),
          Writer(Disk, limitBytes) {}

    // Both threads', under the lock.
    TCriticalSection Lock;
    TWin32ToUtf8 ToUtf8;
    THistoryHandOver HandOver;
    // The writer waits for Wake, and a line handed over must set it.
    bool WriterIdle = false;
    std::vector<std::string> Notices;
    bool NoticePosted = false;
    std::vector<std::pair<HWND, UINT>> Listeners;

    const HWND Window;
    const UINT NoticeMessage;
    TKernelHandle Wake{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    TKernelHandle Stop{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};

    // The writer's own.
    TWin32HistoryDisk Disk;
    THistoryWriter Writer;
    THistoryBatch Batch;
    std::vector<std::string> Said;
};

void TWin32History::SetWindow(HWND window, UINT noticeMessage) {
    FWindow = window;
    FNoticeMessage = noticeMessage;
}

void TWin32History::AddWrittenListener(HWND window, UINT message) {
    if (!FShared)
        return;
    const TLock lock(FShared->Lock);
    FShared->Listeners.emplace_back(window, message);
}

void TWin32History::RemoveWrittenListener(HWND window) {
    if (!FShared)
        return;
    const TLock lock(FShared->Lock);
    auto& listeners = FShared->Listeners;
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(),
                                   [window](const std::pair<HWND, UINT>& l) { return l.first == window; }),
                    listeners.end());
}

bool TWin32History::Start(std::uint64_t limitBytes) {
    if (FShared || limitBytes == 0)
        return true;
    auto shared = std::make_shared<TShared>(limitBytes, FWindow, FNoticeMessage);
    if (!shared->Wake || !shared->Stop)
        return false;
    auto* threadsShare = new std::shared_ptr<TShared>(shared);
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, &ThreadMain, threadsShare, 0, nullptr);
    if (thread == 0) {
        delete threadsShare;
        return false;
    }
    FThread = TKernelHandle(reinterpret_cast<HANDLE>(thread));
    FShared = std::move(shared);
    return true;
}

void TWin32History::UseLogFile(const std::string& logFile) {
    if (!FShared)
        return;
    bool wake = false;
    {
        const TLock lock(FShared->Lock);
        FShared->HandOver.UseLogFile(logFile);
        wake = std::exchange(FShared->WriterIdle, false);
    }
    if (wake)
        ::SetEvent(FShared->Wake.Get());
}

// Only the first line after a pause wakes the writer: a call into the system for each line of a flood would
// cost the window's thread more than the hand-over itself.
void TWin32History::Add(const TReceivedLine& line) {
    if (!FShared)
        return;
    bool wake = false;
    {
        const TLock lock(FShared->Lock);
        FShared->HandOver.Add(line);
        wake = FShared->WriterIdle && FShared->HandOver.HasWork();
        if (wake)
            FShared->WriterIdle = false;
    }
    if (wake)
        ::SetEvent(FShared->Wake.Get());
}

void TWin32History::TakeNotices(std::vector<std::string>& notices) {
    if (!FShared)
        return;
    const TLock lock(FShared->Lock);
    notices.insert(notices.end(), std::make_move_iterator(FShared->Notices.begin()),
                   std::make_move_iterator(FShared->Notices.end()));
    FShared->Notices.clear();
    FShared->NoticePosted = false;
}

// The writer ends with a last write of what waits. Where the disk keeps it longer than StopWait, the close
// goes on without it: the thread keeps what it uses alive and ends with the process.
void TWin32History::Stop() {
    if (!FThread)
        return;
    ::SetEvent(FShared->Stop.Get());
    ::WaitForSingleObject(FThread.Get(), StopWait);
    FThread.Reset();
    FShared.reset();
}

unsigned __stdcall TWin32History::ThreadMain(void* share) {
    const std::unique_ptr<std::shared_ptr<TShared>> own(static_cast<std::shared_ptr<TShared>*>(share));
    TShared& shared = **own;
    const HANDLE stopOrWake[] = {shared.Stop.Get(), shared.Wake.Get()};
    for (;;) {
        bool idle = false;
        {
            const TLock lock(shared.Lock);
            idle = !shared.HandOver.HasWork();
            shared.WriterIdle = idle;
        }
        // A line after a pause is written at once; while more keep coming, every WriteInterval.
        const DWORD woken = idle ? ::WaitForMultipleObjects(2, stopOrWake, FALSE, INFINITE)
                                 : ::WaitForSingleObject(shared.Stop.Get(), WriteInterval);
        if (woken == WAIT_FAILED)
            ::Sleep(WriteInterval);
        const bool stopping = woken == WAIT_OBJECT_0;
        WriteWaiting(shared, !stopping);
        if (stopping)
            return 0;
    }
}

// Only a swap is made under the lock, so the window's thread never waits for the disk. No exception leaves
// the thread: a batch that could not be written (memory ran out) is let go.
void TWin32History::WriteWaiting(TShared& shared, bool tell) {
    {
        const TLock lock(shared.Lock);
        if (shared.HandOver.HasWork())
            shared.HandOver.TakeInto(shared.Batch);
    }
    const bool wrote = !shared.Batch.Bytes.empty();
    shared.Said.clear();
    try {
        shared.Writer.Write(shared.Batch, TWin32Clock::LocalLineTime(), shared.Said);
    } catch (...) {
        shared.Batch.Bytes.clear();
        shared.Batch.Switches.clear();
        shared.Batch.Dropped = 0;
        return;
    }
    if (!tell)
        return;
    bool postNotice = false;
    std::vector<std::pair<HWND, UINT>> listeners;
    try {
        const TLock lock(shared.Lock);
        if (!shared.Said.empty()) {
            shared.Notices.insert(shared.Notices.end(), shared.Said.begin(), shared.Said.end());
            postNotice = !std::exchange(shared.NoticePosted, true);
        }
        if (wrote)
            listeners = shared.Listeners;
    } catch (...) {
        return;
    }
    // A notice that could not be posted is posted again with the next one.
    if (postNotice && (!shared.Window || !::PostMessageA(shared.Window, shared.NoticeMessage, 0, 0))) {
        const TLock lock(shared.Lock);
        shared.NoticePosted = false;
    }
    for (const auto& listener : listeners)
        ::PostMessageA(listener.first, listener.second, 0, 0);
}
