#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "channel/WindowsOutput.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Lock.h"

// The reader of Windows' debug output channel in the viewer's session: the
// events "DBWIN_BUFFER_READY" and "DBWIN_DATA_READY" and the 4096-byte
// mapping "DBWIN_BUFFER", which OutputDebugString writes the process id and
// the text into. A thread of its own reads it, so that senders are never held
// up by the window; it hands the messages over to the window's thread and
// posts the window one message when the hand-over fills from empty. While it
// runs the window's timer ticks, to collect while messages keep coming and to
// print the lines that waited too long for their rest.
class TWin32WindowsOutput : public IWindowsOutput {
  public:
    // What the window receives: the arrival notice, and the timer's id.
    static constexpr UINT ArrivedMessage = WM_APP + 1;
    static constexpr UINT_PTR TimerId = 0xD703;

    TWin32WindowsOutput() = default;
    ~TWin32WindowsOutput() override { StopCapture(); }
    TWin32WindowsOutput(const TWin32WindowsOutput&) = delete;
    TWin32WindowsOutput& operator=(const TWin32WindowsOutput&) = delete;

    void SetWindow(HWND window) { FWindow = window; }

    TCaptureStart StartCapture() override;
    void StopCapture() override;
    std::size_t CollectMessages(std::vector<TCapturedMessage>& messages) override;

  private:
    static unsigned __stdcall ThreadMain(void* self);
    void Read();
    void ReleaseChannel();
    void HandOver(TCapturedMessage& message);
    void CountDropped();

    HWND FWindow = nullptr;
    TKernelHandle FBufferReady;
    TKernelHandle FDataReady;
    TKernelHandle FMapping;
    TMappedView FView;
    TKernelHandle FStop;
    TKernelHandle FThread;

    // The hand-over, shared by both threads.
    TCriticalSection FLock;
    std::vector<TCapturedMessage> FMessages;
    std::size_t FBytes = 0;
    std::size_t FDropped = 0;
    // The window has been told, and has not yet found the hand-over empty.
    bool FNotified = false;
};
