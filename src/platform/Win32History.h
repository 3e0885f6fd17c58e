#pragma once

#include <windows.h>

#include <memory>

#include "platform/HistoryWrites.h"
#include "platform/Win32Handles.h"
#include "shell/history/HistoryStore.h"

// The history's writer: the window's thread hands lines over under a lock, and a thread of its own writes
// them to the disk, right away after a pause and then every WriteInterval while lines keep coming, so a
// viewer ended any way loses at most that much. What the writer has to say (the history cannot be written,
// lines were not kept) waits for the window, which is told by a posted message.
class TWin32History : public IHistoryStore, public IHistoryWrites {
  public:
    static constexpr DWORD WriteInterval = 100;
    // The close waits this long for the last write: a slow or hung disk must not hold it up.
    static constexpr DWORD StopWait = 1000;

    TWin32History() = default;
    ~TWin32History() override { Stop(); }
    TWin32History(const TWin32History&) = delete;
    TWin32History& operator=(const TWin32History&) = delete;

    // The window told of notices, by noticeMessage posted without parameters. Before Start.
    void SetWindow(HWND window, UINT noticeMessage);
    // Another window that wants to know each time lines have reached the disk (the History window, which
    // then reads them): message is posted to it, without parameters, after each write. From the window's
    // thread, after Start; a history that is off writes nothing and tells nobody.
    void AddWrittenListener(HWND window, UINT message) override;
    void RemoveWrittenListener(HWND window) override;

    bool Start(std::uint64_t limitBytes) override;
    void UseLogFile(const std::string& logFile) override;
    void Add(const TReceivedLine& line) override;
    void TakeNotices(std::vector<std::string>& notices) override;
    void Stop() override;

  private:
    struct TShared;
    static unsigned __stdcall ThreadMain(void* shared);
    // Takes what waits and writes it; tells the window and the listeners unless the viewer is closing.
    static void WriteWaiting(TShared& shared, bool tell);

    HWND FWindow = nullptr;
    UINT FNoticeMessage = 0;
    // Shared with the writer's thread, which keeps it alive should the close stop waiting for it.
    std::shared_ptr<TShared> FShared;
    TKernelHandle FThread;
};
