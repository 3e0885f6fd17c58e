#include "platform/Win32WindowsOutput.h"

#include <process.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>

#include "platform/Win32Clock.h"
#include "platform/Win32View.h"

namespace {
const DWORD BufferSize = 4096;
// The sender's process id comes first, then its text up to a zero byte.
const std::size_t TextOffset = sizeof(DWORD);
const std::size_t LongestText = BufferSize - TextOffset;
// Generous: a window held up for seconds while a flood of the longest
// messages comes in still loses none of them.
const std::size_t HandOverLimit = 32 * 1024 * 1024;
// The tick collects a flood, and prints text that waited a second for the
// rest of its line.
const UINT TickInterval = 100;

// How long stopping waits for a sender to finish the message it is writing.
const DWORD ChannelTurnWait = 1000;
const char* const ChannelMutexName = "DBWinMutex";

// One named object of the channel, noting whether it was there already.
HANDLE Created(HANDLE handle, bool& existed) {
    if (handle && ::GetLastError() == ERROR_ALREADY_EXISTS)
        existed = true;
    return handle;
}
// The channel's mutex, held for the length of a scope where it can be had
// within ChannelTurnWait. Senders made it; where none did yet, it is made
// here, so that a sender starting now waits for it too.
class TChannelTurn {
  public:
    TChannelTurn() {
        FMutex = TKernelHandle(::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, ChannelMutexName));
        if (!FMutex)
            FMutex = TKernelHandle(::CreateMutexA(nullptr, FALSE, ChannelMutexName));
        if (!FMutex)
            return;
        const DWORD waited = ::WaitForSingleObject(FMutex.Get(), ChannelTurnWait);
        FHeld = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~TChannelTurn() {
        if (FHeld)
            ::ReleaseMutex(FMutex.Get());
    }
    TChannelTurn(const TChannelTurn&) = delete;
    TChannelTurn& operator=(const TChannelTurn&) = delete;

  private:
    TKernelHandle FMutex;
    bool FHeld = false;
};
} // namespace

TCaptureStart TWin32WindowsOutput::StartCapture() {
    if (FThread)
        return TCaptureStart::Started;
    bool existed = false;
    TKernelHandle bufferReady(Created(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY"), existed));
    TKernelHandle dataReady(Created(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"), existed));
    TKernelHandle mapping(Created(
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, BufferSize, "DBWIN_BUFFER"),
        existed));
    // Two readers would split the messages between them: the one that was
    // there first keeps the channel, and these handles go at once.
    if (existed)
        return TCaptureStart::OtherReader;
    if (!bufferReady || !dataReady || !mapping)
        return TCaptureStart::Failed;
    TMappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, BufferSize));
    TKernelHandle stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!view || UsableViewBytes(view.Get(), TViewUse::Read) < BufferSize || !stop)
        return TCaptureStart::Failed;

    FBufferReady = std::move(bufferReady);
    FDataReady = std::move(dataReady);
    FMapping = std::move(mapping);
    FView = std::move(view);
    FStop = std::move(stop);
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, &ThreadMain, this, 0, nullptr);
    if (thread == 0) {
        StopCapture();
        return TCaptureStart::Failed;
    }
    FThread = TKernelHandle(reinterpret_cast<HANDLE>(thread));
    // Without the tick a flood would not be collected, nor waiting text printed.
    if (FWindow && !::SetTimer(FWindow, TimerId, TickInterval, nullptr)) {
        StopCapture();
        return TCaptureStart::Failed;
    }
    return TCaptureStart::Started;
}

// A sender holds the channel's mutex from before it waits for the buffer
// until after it has signalled its message. Holding the mutex here, no
// sender is between writing the buffer and signalling, so the reader's last
// look finds every message that was written; and a sender that waits for the
// mutex meanwhile finds no channel once it has it, or a buffer that is never
// ready again, and gives up instead of writing into it. A sender that keeps
// the mutex longer than ChannelTurnWait is not waited for.
void TWin32WindowsOutput::StopCapture() {
    if (!FThread) {
        ReleaseChannel();
        return;
    }
    const TChannelTurn turn;
    ::SetEvent(FStop.Get());
    ::WaitForSingleObject(FThread.Get(), INFINITE);
    FThread.Reset();
    // A sender that opened the channel before it waited for the mutex must
    // not find the buffer ready: nobody would read what it writes.
    ::ResetEvent(FBufferReady.Get());
    if (FWindow)
        ::KillTimer(FWindow, TimerId);
    ReleaseChannel();
}

void TWin32WindowsOutput::ReleaseChannel() {
    FView.Reset();
    FMapping.Reset();
    FDataReady.Reset();
    FBufferReady.Reset();
    FStop.Reset();
}

std::size_t TWin32WindowsOutput::CollectMessages(std::vector<TCapturedMessage>& messages) {
    std::vector<TCapturedMessage> taken;
    std::size_t dropped = 0;
    {
        const TLock lock(FLock);
        taken.swap(FMessages);
        FBytes = 0;
        dropped = std::exchange(FDropped, 0);
        // While messages keep coming the tick collects them: a notice for
        // each would cost the window and the senders' server alike.
        FNotified = !taken.empty() || dropped > 0;
    }
    messages.insert(messages.end(), std::make_move_iterator(taken.begin()),
                    std::make_move_iterator(taken.end()));
    return dropped;
}

unsigned __stdcall TWin32WindowsOutput::ThreadMain(void* self) {
    static_cast<TWin32WindowsOutput*>(self)->Read();
    return 0;
}

// The sender waits for BUFFER_READY while it holds the channel's mutex, so
// the text is copied and the sender let go before anything else is done. The
// whole buffer is copied before the text's end is looked for: a local program
// may write into it meanwhile, and the text must end where the copy says.
void TWin32WindowsOutput::Read() {
    const char* const buffer = static_cast<const char*>(FView.Get());
    const HANDLE wakers[] = {FStop.Get(), FDataReady.Get()};
    ::SetEvent(FBufferReady.Get());
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(2, wakers, FALSE, INFINITE);
        // When stopping, a message that is written already is still taken,
        // and the buffer is not made ready again: no sender may write into a
        // channel that nobody reads any more.
        const bool stopping = woken != WAIT_OBJECT_0 + 1;
        if (stopping && ::WaitForSingleObject(FDataReady.Get(), 0) != WAIT_OBJECT_0)
            return;
        char copy[BufferSize];
        std::memcpy(copy, buffer, BufferSize);
        const unsigned time = ::GetTickCount();
        const TLineTime received = TWin32Clock::LocalLineTime();
        if (!stopping)
            ::SetEvent(FBufferReady.Get());
        DWORD processId = 0;
        std::memcpy(&processId, copy, sizeof processId);
        const char* const text = copy + TextOffset;
        const void* end = std::memchr(text, 0, LongestText);
        const std::size_t length =
            end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : LongestText;
        try {
            TCapturedMessage message{processId, std::string(text, length), time, received};
            HandOver(message);
        } catch (...) {
            CountDropped();
        }
        if (stopping)
            return;
    }
}

void TWin32WindowsOutput::HandOver(TCapturedMessage& message) {
    const std::size_t bytes = sizeof message + message.Text.size();
    bool notify = false;
    {
        const TLock lock(FLock);
        if (FBytes + bytes > HandOverLimit) {
            ++FDropped;
        } else {
            FMessages.push_back(std::move(message));
            FBytes += bytes;
        }
        notify = !FNotified;
        FNotified = true;
    }
    // A notice that cannot be posted is made up for by the next tick.
    if (notify)
        ::PostMessageA(FWindow, ArrivedMessage, 0, 0);
}

void TWin32WindowsOutput::CountDropped() {
    const TLock lock(FLock);
    ++FDropped;
}
