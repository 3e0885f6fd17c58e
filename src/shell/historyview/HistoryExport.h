#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/historyview/HistoryFilter.h"
#include "shell/historyview/RowBlock.h"

class THistoryModel;

// Where exported rows go: a file, or a string for the clipboard.
class IHistorySink {
  public:
    virtual ~IHistorySink() = default;
    // False when the bytes could not be written.
    virtual bool Write(const char* bytes, std::size_t size) = 0;
};

// Writes shown rows in the history's own format, "time<TAB>origin<TAB>text<CR><LF>", as valid UTF-8:
// a row read from a well-formed line is that line; a line of another shape (shown as text only) gets two
// tabs in front; bytes that are not UTF-8 become U+FFFD, as shown. A block at a time, so that the whole
// history never needs to be in memory, and on a thread other than the window's.
class THistoryExport {
  public:
    // The rows at shown positions first to last, as the list shows them when this is made; later filter
    // changes do not change what is written. Rows longer than 1 MiB are cut there, as in the window.
    THistoryExport(THistoryModel& model, std::uint32_t first, std::uint32_t last);

    enum class TState { Writing, Done, RowsGone, ReadFailed, WriteFailed };
    // Writes the next block of rows: call while it says Writing.
    TState Step(IHistorySink& sink);
    std::uint64_t RowsWritten() const { return FRowsWritten; }

  private:
    THistoryModel& FModel;
    std::shared_ptr<const THistoryFilter> FFilter;
    // Rows of the index still to go; none when FNext > FLast.
    std::uint64_t FNext = 1;
    std::uint64_t FLast = 0;
    std::uint64_t FRowsWritten = 0;
    TRowBlock FBlock;
    std::vector<unsigned char> FShown;
    std::string FBytes;
};

// Appends one row (its line as read, break and all) in the export format.
void AppendExportedRow(std::string_view line, std::string& out);
