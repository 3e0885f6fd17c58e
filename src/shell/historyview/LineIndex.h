#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/historyview/HistoryFolder.h"

struct TRowBlock;

// Where each row of the history folder starts: per file, 4 bytes a row, and nothing of the text, which
// is read from the files when it is needed. Rows are numbered from when the index was made: a row keeps
// its number while it is in the index, and the rows of files removed from the top take their numbers
// with them, so that nobody holding a number must be told of a removal.
//
// Not safe for use from two threads by itself: the model locks around it.
class TLineIndex {
  public:
    // The first row still in the index, and the number the next row will get.
    std::uint64_t FirstRow() const { return FFirstRow; }
    std::uint64_t EndRow() const { return FEndRow; }
    std::uint64_t RowCount() const { return FEndRow - FFirstRow; }
    // True when every byte of every listed file has been looked at.
    bool IsComplete() const;
    // Files that could not be read and were passed over.
    std::uint32_t UnreadableFiles() const { return FUnreadableFiles; }

    enum class TListing { Unchanged, Changed, Reset };
    // Takes the history's files as they are now, oldest first. Files gone from the top are removed with
    // their rows; a newest file that grew and new files after it are read next. A file that shrank or a
    // file gone or come between the others cannot be followed row by row: the index then starts over,
    // numbering on from where it was (Reset).
    TListing TakeListing(const std::vector<THistoryFileEntry>& files);
    // Removes the oldest files (all but the newest) while more than maxRows rows are in the index; the
    // window then shows the newest rows only. True when it removed some.
    bool KeepAtMost(std::uint64_t maxRows);

    // A stretch of a file to look through for line ends.
    struct TScan {
        std::size_t Slot = 0;
        std::string File;
        std::uint64_t Offset = 0;
        std::size_t Length = 0;
        std::uint64_t RowsEnd = 0;
        std::uint64_t ScanFrom = 0;
    };
    struct TScanResult {
        // Where the rows that were completed start, and where the unfinished one does.
        std::vector<std::uint32_t> Starts;
        std::uint64_t RowsEnd = 0;
        std::uint64_t ScanFrom = 0;
    };
    // The next stretch to read; false when there is none until the next listing.
    bool NextScan(TScan& scan) const;
    // Finds the rows completed in the bytes read for a scan: needs no lock, it touches only its arguments.
    static void FindRows(const TScan& scan, const char* bytes, std::size_t read, TScanResult& result);
    void TakeRows(const TScan& scan, const TScanResult& result);
    // The file could not be read: the newest is tried again after the next listing, an older one is
    // passed over with the rows it gave so far.
    void ScanFailed(const TScan& scan);

    // Where a row lies; false for a row not in the index.
    struct TPlace {
        std::size_t Slot = 0;
        std::uint64_t Begin = 0;
        std::uint64_t End = 0;
    };
    bool Locate(std::uint64_t row, TPlace& place) const;
    const std::string& FileName(std::size_t slot) const { return FFiles[slot].Name; }

    // Plans a block starting with a row, and adds later rows of the same file while the block stays
    // within maxBytes and the rows close together. False when the row cannot start or join the block.
    bool BeginBlock(std::uint64_t row, std::size_t maxBytes, TRowBlock& block, std::size_t& slot) const;
    bool ExtendBlock(std::uint64_t row, std::size_t maxBytes, TRowBlock& block, std::size_t slot) const;

  private:
    struct TFile {
        std::string Name;
        // As last listed, and as far as the index can number (offsets are 32-bit).
        std::uint64_t Size = 0;
        std::uint64_t FirstRow = 0;
        std::vector<std::uint32_t> Starts;
        // The end of the last whole row: where the unfinished one starts.
        std::uint64_t RowsEnd = 0;
        std::uint64_t ScanFrom = 0;
        // No row will come from it any more: a newer file was listed after it was read to its end, or
        // it could not be read.
        bool Closed = false;
    };

    void Append(const THistoryFileEntry& entry);
    void AddRows(std::size_t slot, std::uint64_t count);
    void CloseFinishedFiles();
    void RemoveOldest(std::size_t count);
    std::uint64_t RowEnd(const TFile& file, std::size_t row) const;

    std::vector<TFile> FFiles;
    std::uint64_t FFirstRow = 0;
    std::uint64_t FEndRow = 0;
    std::uint32_t FUnreadableFiles = 0;
    // The newest file could not be read: wait for the next listing rather than try again at once.
    bool FWaitForListing = false;
};
