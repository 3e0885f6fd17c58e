#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32Handles.h"
#include "shell/historyview/HistoryExport.h"
#include "shell/historyview/HistoryForm.h"

class THistorySource;

// Copy and Export: rows of the history written in its own format on a thread of their own, a block at a
// time, into a file or into Unicode text for the clipboard. The rows are those the list shows when the job
// is made. When it is done the job posts the window a message; the window then reads what happened.
class THistoryOutputJob {
  public:
    enum class TResult { Running, Done, Cancelled, CannotCreate, WriteFailed, ReadFailed, TooLarge, Failed };

    // Writes every row of the ranges into a new file of that name (the system's code page).
    static std::unique_ptr<THistoryOutputJob> Export(std::shared_ptr<THistorySource> source,
                                                     const std::vector<TRowRange>& ranges,
                                                     const std::string& fileName, HWND window,
                                                     UINT doneMessage);
    // Makes the text for the clipboard: at most MostCopiedBytes of it.
    static std::unique_ptr<THistoryOutputJob> Copy(std::shared_ptr<THistorySource> source,
                                                   const std::vector<TRowRange>& ranges, HWND window,
                                                   UINT doneMessage);
    static const std::size_t MostCopiedBytes = 32 * 1048576;

    // Cancels a job that still runs and waits for its thread, which stops after its current block.
    ~THistoryOutputJob();
    THistoryOutputJob(const THistoryOutputJob&) = delete;
    THistoryOutputJob& operator=(const THistoryOutputJob&) = delete;

    // Running until the job posted its message.
    TResult Result() const { return FResult; }
    std::uint64_t RowsWritten() const { return FRowsWritten; }
    const std::string& FileName() const { return FFileName; }
    // Failed: what went wrong.
    const std::string& Failure() const { return FFailure; }
    // Copy: the text as CF_UNICODETEXT wants it; the caller owns it from here on.
    HGLOBAL TakeText() { return std::exchange(FText, nullptr); }

  private:
    THistoryOutputJob(std::shared_ptr<THistorySource> source, const std::vector<TRowRange>& ranges,
                      const std::string& fileName, HWND window, UINT doneMessage);
    bool Start();
    static DWORD WINAPI ThreadEntry(void* parameter);
    TResult Run();
    TResult RunExports(IHistorySink& sink);
    TResult WriteFile();
    TResult MakeText();

    std::shared_ptr<THistorySource> FSource;
    std::vector<std::unique_ptr<THistoryExport>> FExports;
    const std::string FFileName;
    const bool FToFile;
    const HWND FWindow;
    const UINT FDoneMessage;
    TKernelHandle FThread;
    std::atomic<bool> FCancelled{false};
    std::atomic<TResult> FResult{TResult::Running};
    std::atomic<std::uint64_t> FRowsWritten{0};
    HGLOBAL FText = nullptr;
    std::string FFailure;
};
