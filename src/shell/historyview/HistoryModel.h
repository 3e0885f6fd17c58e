#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "shell/historyview/HistoryFilter.h"
#include "shell/historyview/LineIndex.h"
#include "shell/historyview/RowBlock.h"
#include "shell/historyview/TextPattern.h"

class IHistoryFolder;
class IHistoryLock;

// What the History window shows at a moment.
struct THistoryCounts {
    // Rows in the history, and rows the filter let through so far (all of them without a filter).
    std::uint32_t Rows = 0;
    std::uint32_t Shown = 0;
    // Shown rows that left the top since the window opened, their file removed by the history's limit:
    // when this grows, the window moves its selection and its top row up by as much.
    std::uint64_t ShownRemoved = 0;
    // Each time the files could not be followed (one shrank, or came or went between others) the rows
    // are read anew: every row position the window holds is void when this changes.
    std::uint32_t Resets = 0;
    std::uint32_t UnreadableFiles = 0;
    // False while the folder cannot be listed: the history is off or nothing was written yet.
    bool FolderListed = false;
    // Still reading files, or still applying the filter: the counts will grow.
    bool Reading = true;
    bool Filtering = false;

    // Grows by one for each row shown at the bottom whatever leaves the top, while the filter stays.
    std::uint64_t ShownTotal() const { return ShownRemoved + Shown; }
};

enum class TFindState { Idle, Searching, Found, NotFound };

struct THistoryFindResult {
    TFindState State = TFindState::Idle;
    // The request this is the answer to.
    std::uint32_t Request = 0;
    // Found: the shown row's position.
    std::uint32_t Row = 0;
};

enum class THistoryWork {
    // Nothing to do until the window asks for something or the folder is to be looked at again.
    Idle,
    // Did some work; call again.
    Busy,
    // Did some work that changed what the window shows (counts, a find's answer); call again.
    Changed
};

// The rows of a history folder for the History window: every row of every file, the filter's choice of
// them, Find. The window's thread asks and draws; one background thread calls Step until it is Idle, each
// call a bounded piece of work (a block of at most 1 MiB read, looked through and taken in), so a new
// filter or find takes over within a step. Everything is shared under the lock, held only for moments:
// never while a file is read or bytes are searched.
//
// The background thread waits when Step says Idle, until the window wakes it (after SetFilter, Find, or
// Refresh when the writer has written). Where Step says Changed it lets the window know, at most once
// until the window has looked (Counts, FindResult). Step can run out of memory: the thread's entry
// catches that. The thread ends before the model does.
class THistoryModel {
  public:
    THistoryModel(IHistoryFolder& folder, IHistoryLock& lock);
    THistoryModel(const THistoryModel&) = delete;
    THistoryModel& operator=(const THistoryModel&) = delete;

    // ---- Any thread.
    // The folder is looked at again at the next step (the writer wrote, or a timer).
    void Refresh() { FRefreshWanted = true; }
    IHistoryFolder& Folder() const { return FFolder; }

    // ---- The window's thread.
    // Applies the Filter box's terms from the start; false when they mean the same as before.
    bool SetFilter(std::string_view utf8Terms);
    // Looks for the next (or previous) shown row, wrapping around, whose origin or text contains the text
    // without regard to case, starting from the row at position from: from itself first where
    // fromIncluded (typing in the Find box), else the row after (before) it (Enter, F3). Returns the
    // request's number; an empty text looks for nothing.
    std::uint32_t Find(std::string_view utf8Text, std::uint32_t from, bool forward, bool fromIncluded);
    void CancelFind();
    THistoryFindResult FindResult() const;
    THistoryCounts Counts() const;

    // Plans a block of the shown rows from a position, for drawing them: at most maxRows and maxBytes
    // (a longer row is cut), their numbers in ids. False past the last row.
    bool PlanShown(std::uint32_t shown, std::size_t maxRows, std::size_t maxBytes, TRowBlock& block,
                   std::vector<std::uint64_t>& ids) const;
    // The number of the row at a shown position; false past the last row.
    bool ShownRow(std::uint32_t shown, std::uint64_t& row) const;
    // The filter in force, null for none: it never changes, a new one replaces it.
    std::shared_ptr<const THistoryFilter> Filter() const;

    // ---- Any thread but the window's, for Export.
    // Plans a block of rows of the index from row first up to row last. False when first has gone.
    bool PlanRows(std::uint64_t first, std::uint64_t last, TRowBlock& block) const;

    // ---- The background thread.
    THistoryWork Step();

  private:
    struct TFindJob {
        std::shared_ptr<const TTextPattern> Pattern;
        std::uint32_t Request = 0;
        TFindState State = TFindState::Idle;
        bool Forward = true;
        bool Wrapped = false;
        // Positions counted from the first row shown since the window opened (ShownRemoved plus the
        // position), so that rows leaving the top move nothing. Forward: the next to look at. Backward:
        // one past it.
        std::uint64_t Next = 0;
        // After wrapping: where the search ends, before (forward) or at (backward) it.
        std::uint64_t Stop = 0;
        std::uint64_t Found = 0;
    };

    THistoryWork Relist();
    bool IndexStep(THistoryWork& work);
    bool FilterStep(THistoryWork& work);
    bool FindStep(THistoryWork& work);
    bool PlanFindBlock(TFindJob& job, std::uint64_t top, std::uint64_t end, bool complete);

    // Under the lock.
    std::uint32_t ShownCountLocked() const;
    std::uint64_t RowAtLocked(std::uint64_t shown) const;
    bool CompleteLocked() const;
    void RowsLeftTopLocked(std::uint64_t previousFirstRow);
    void StartOverLocked();
    void AppendShownLocked(std::uint64_t firstRow, const std::vector<unsigned char>& shown);

    IHistoryFolder& FFolder;
    IHistoryLock& FLock;
    std::atomic<bool> FRefreshWanted{true};

    // Changed by the background thread only, under the lock; so it reads them without.
    TLineIndex FIndex;
    bool FFolderListed = false;
    std::uint32_t FResets = 0;

    // Changed by both threads under the lock. Shown rows as row numbers from the index's first row.
    std::shared_ptr<const THistoryFilter> FFilter;
    std::uint32_t FFilterGeneration = 0;
    std::vector<std::uint32_t> FShown;
    std::uint64_t FFilteredTo = 0;
    std::uint64_t FShownRemoved = 0;
    TFindJob FFind;

    // The background thread's own.
    TLineIndex::TScan FScan;
    TLineIndex::TScanResult FScanResult;
    TRowBlock FBlock;
    std::vector<unsigned char> FFlags;
};

// The window shows the newest rows only beyond this many (the index takes 4 bytes a row, and a 32-bit
// process must keep room).
const std::uint64_t MaxHistoryRows = 1 << 25;
