#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/historyview/HistoryModel.h"
#include "shell/historyview/HistoryRowCache.h"
#include "shell/historyview/HistoryStatus.h"

// No row: a focus past the last one.
const std::uint32_t NoHistoryRow = 0xFFFFFFFF;

// Rows of the list from First to Last, both included.
struct TRowRange {
    std::uint32_t First = 0;
    std::uint32_t Last = 0;
};

// The History window's list as its logic needs it: a virtual list that asks for the rows it draws, so that
// its count can be millions. Positions are those of the rows shown.
class IHistoryList {
  public:
    virtual ~IHistoryList() = default;
    // Leaves the top row and the selection where they are.
    virtual void SetRowCount(std::uint32_t count) = 0;
    virtual std::uint32_t TopRow() const = 0;
    // Whole rows the list shows at once.
    virtual std::uint32_t RowsPerPage() const = 0;
    // Scrolls so that the row is the top one, as far as the list allows.
    virtual void ScrollTo(std::uint32_t top) = 0;
    // Scrolls as little as needed for the row to be seen.
    virtual void ShowRow(std::uint32_t row) = 0;
    // The row with the focus, when it is also selected.
    virtual bool FocusedRow(std::uint32_t& row) const = 0;
    virtual std::vector<TRowRange> SelectedRanges() const = 0;
    // Replaces the selection; focus is the focused row's position, none when past the last row.
    virtual void Select(const std::vector<TRowRange>& ranges, std::uint32_t focus) = 0;
};

// The History window's logic, on the window's thread: keeps the list in step with the model (its count,
// Follow, the selection when rows leave the top), runs Find and the Filter, and makes the status text. The
// window tells it what the user did and when the background work changed something; it never waits.
class TfrmHistory {
  public:
    explicit TfrmHistory(IHistoryList& list) : FList(list) {}

    // The model of the history shown: when the window opens and after each switch of the log file. The
    // Filter box's terms apply to it at once, and Follow starts again. Null detaches.
    void Attach(THistoryModel* model);
    THistoryModel* Model() const { return FModel; }

    // The background work said something changed: the list's count, the view and a find's answer.
    void ModelChanged();

    // The Find box's text changed: looks for it from the selected row on, that row included.
    void FindTyped(const std::string& utf8Text);
    // Enter, F3 and Shift+F3: the next or the previous row with the text, wrapping around.
    void FindAgain(bool forward);
    // The Filter box after the pause: its terms apply from the first row. False when they mean the same
    // as before.
    bool FilterTyped(const std::string& utf8Terms);

    // The user scrolled the list, or moved its selection: Follow stops or starts again.
    void ListScrolled();
    void SelectionMoved();
    // The list changed its size: while it follows, the last row stays in view.
    void ListResized();
    // Ctrl+A: every row shown.
    void SelectAll();

    // What Copy (the selected rows) and Export (every row shown) write.
    std::vector<TRowRange> SelectedRanges() const;
    std::uint32_t RowCount() const { return FRowCount; }

    // A line of what the window did last (a copy, an export), shown after the counts until the next.
    void SetNotice(const std::string& utf8Text);
    // The background work stopped for good.
    void SetFailure(const std::string& utf8Text);

    // The row at a position, decoded for drawing; null past the last one.
    const THistoryRow* Row(std::uint32_t position);

    // "N of M lines shown", then what Find found, how many lines arrived below, and the notice.
    const std::string& StatusText() const { return FStatus; }
    bool Following() const { return FFollow.Following(); }
    // The files are read for the first time.
    bool Loading() const { return FModel && FCounts.Reading && !FReadOnce; }

  private:
    // The selection and the top row, moved up by rows that left the top.
    struct TShift {
        bool Shifted = false;
        std::vector<TRowRange> Selection;
        std::uint32_t Focus = NoHistoryRow;
        std::uint32_t Top = 0;
    };

    void ApplyCounts(const THistoryCounts& counts);
    TShift ShiftedUp(std::uint64_t removed) const;
    void ApplyFindResult(const THistoryFindResult& result);
    bool LastRowVisible() const;
    bool StartPosition(bool forward, std::uint32_t& from, bool& included) const;
    void UpdateStatus();

    IHistoryList& FList;
    THistoryModel* FModel = nullptr;
    std::unique_ptr<THistoryRowCache> FCache;
    // The row drawn last, until the list's positions change.
    const THistoryRow* FDrawnRow = nullptr;
    std::uint32_t FDrawnPosition = 0;
    THistoryFollow FFollow;
    // The counts as the list shows them.
    THistoryCounts FCounts;
    std::uint32_t FRowCount = 0;
    bool FReadOnce = false;
    std::string FFindText;
    std::string FFilterTerms;
    // The find the list waits for, and what the last one said.
    std::uint32_t FFindRequest = 0;
    bool FFindWaiting = false;
    std::string FFindStatus;
    std::string FNotice;
    std::string FFailure;
    std::string FStatus;
    // The list's notices of changes made here are not the user's doing.
    bool FChangingList = false;
};
