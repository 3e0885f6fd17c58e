#include "platform/HistoryOutputJob.h"

#include "platform/HistorySource.h"

#include <new>

namespace {

class TFileSink : public IHistorySink {
  public:
    explicit TFileSink(HANDLE file) : FFile(file) {}
    bool Write(const char* bytes, std::size_t size) override {
        while (size > 0) {
            const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!::WriteFile(FFile, bytes, chunk, &written, nullptr) || written == 0)
                return false;
            bytes += written;
            size -= written;
        }
        return true;
    }

  private:
    HANDLE FFile;
};

// Refuses what would take the text past its limit: the clipboard's copy is made from it in one piece.
class TTextSink : public IHistorySink {
  public:
    bool Write(const char* bytes, std::size_t size) override {
        if (Text.size() + size > THistoryOutputJob::MostCopiedBytes) {
            TooLarge = true;
            return false;
        }
        Text.append(bytes, size);
        return true;
    }
    std::string Text;
    bool TooLarge = false;
};

} // namespace

THistoryOutputJob::THistoryOutputJob(std::shared_ptr<THistorySource> source,
                                     const std::vector<TRowRange>& ranges, const std::string& fileName,
                                     HWND window, UINT doneMessage)
    : FSource(std::move(source)), FFileName(fileName), FToFile(!fileName.empty()), FWindow(window),
      FDoneMessage(doneMessage) {
    // Made here, on the window's thread: the positions are those the list shows now.
    for (const TRowRange& range : ranges)
        FExports.push_back(std::make_unique<THistoryExport>(FSource->Model(), range.First, range.Last));
}

std::unique_ptr<THistoryOutputJob> THistoryOutputJob::Export(std::shared_ptr<THistorySource> source,
                                                             const std::vector<TRowRange>& ranges,
                                                             const std::string& fileName, HWND window,
                                                             UINT doneMessage) {
    std::unique_ptr<THistoryOutputJob> job(
        new THistoryOutputJob(std::move(source), ranges, fileName, window, doneMessage));
    return job->Start() ? std::move(job) : nullptr;
}

std::unique_ptr<THistoryOutputJob> THistoryOutputJob::Copy(std::shared_ptr<THistorySource> source,
                                                           const std::vector<TRowRange>& ranges, HWND window,
                                                           UINT doneMessage) {
    std::unique_ptr<THistoryOutputJob> job(
        new THistoryOutputJob(std::move(source), ranges, std::string(), window, doneMessage));
    return job->Start() ? std::move(job) : nullptr;
}

THistoryOutputJob::~THistoryOutputJob() {
    FCancelled = true;
    if (FThread)
        ::WaitForSingleObject(FThread.Get(), INFINITE);
    if (FText)
        ::GlobalFree(FText);
}

bool THistoryOutputJob::Start() {
    FThread = TKernelHandle(::CreateThread(nullptr, 0, &THistoryOutputJob::ThreadEntry, this, 0, nullptr));
    if (FThread)
        ::SetThreadPriority(FThread.Get(), THREAD_PRIORITY_BELOW_NORMAL);
    return FThread.Valid();
}

DWORD WINAPI THistoryOutputJob::ThreadEntry(void* parameter) {
    auto* self = static_cast<THistoryOutputJob*>(parameter);
    TResult result;
    try {
        result = self->Run();
    } catch (const std::bad_alloc&) {
        // The copy is too large for this process.
        result = TResult::TooLarge;
    } catch (const std::exception& error) {
        self->FFailure = error.what();
        result = TResult::Failed;
    } catch (...) {
        self->FFailure = "Unknown error";
        result = TResult::Failed;
    }
    self->FResult = result;
    ::PostMessageW(self->FWindow, self->FDoneMessage, 0, 0);
    return 0;
}

THistoryOutputJob::TResult THistoryOutputJob::Run() {
    return FToFile ? WriteFile() : MakeText();
}

THistoryOutputJob::TResult THistoryOutputJob::RunExports(IHistorySink& sink) {
    for (const std::unique_ptr<THistoryExport>& exported : FExports) {
        const std::uint64_t before = FRowsWritten;
        for (;;) {
            if (FCancelled)
                return TResult::Cancelled;
            const THistoryExport::TState state = exported->Step(sink);
            FRowsWritten = before + exported->RowsWritten();
            if (state == THistoryExport::TState::Done)
                break;
            if (state == THistoryExport::TState::WriteFailed)
                return TResult::WriteFailed;
            if (state == THistoryExport::TState::ReadFailed || state == THistoryExport::TState::RowsGone)
                return TResult::ReadFailed;
        }
    }
    return TResult::Done;
}

// Unshared while it is written, as the viewer's other files are; a file this job made is not left behind
// half written.
THistoryOutputJob::TResult THistoryOutputJob::WriteFile() {
    const bool existed = ::GetFileAttributesA(FFileName.c_str()) != INVALID_FILE_ATTRIBUTES;
    TResult result;
    {
        const TFileHandle file(::CreateFileA(FFileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return TResult::CannotCreate;
        TFileSink sink(file.Get());
        result = RunExports(sink);
    }
    if (result != TResult::Done && !existed)
        ::DeleteFileA(FFileName.c_str());
    return result;
}

THistoryOutputJob::TResult THistoryOutputJob::MakeText() {
    TTextSink sink;
    const TResult result = RunExports(sink);
    if (result == TResult::WriteFailed && sink.TooLarge)
        return TResult::TooLarge;
    if (result != TResult::Done)
        return result;
    const int length = sink.Text.empty()
                           ? 0
                           : ::MultiByteToWideChar(CP_UTF8, 0, sink.Text.data(),
                                                   static_cast<int>(sink.Text.size()), nullptr, 0);
    HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, (static_cast<SIZE_T>(length) + 1) * sizeof(wchar_t));
    if (!text)
        return TResult::TooLarge;
    auto* characters = static_cast<wchar_t*>(::GlobalLock(text));
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, sink.Text.data(), static_cast<int>(sink.Text.size()), characters,
                              length);
    characters[length] = L'\0';
    ::GlobalUnlock(text);
    FText = text;
    return TResult::Done;
}
