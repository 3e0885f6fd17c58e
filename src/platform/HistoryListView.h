#pragma once

#include <windows.h>

#include <commctrl.h>

#include "shell/historyview/HistoryForm.h"

// The History window's list: a report-view list view that holds no rows of its own (LVS_OWNERDATA) and
// asks the window for the text of each row it draws, so that its count can be millions.
class THistoryListView : public IHistoryList {
  public:
    bool Create(HWND parent, HINSTANCE instance, int id, int dpi);
    HWND Handle() const { return FList; }

    // The list asks for a column of a row it draws.
    static void FillItem(NMLVDISPINFOW& info, TfrmHistory& form);

    void SetRowCount(std::uint32_t count) override;
    std::uint32_t TopRow() const override;
    std::uint32_t RowsPerPage() const override;
    void ScrollTo(std::uint32_t top) override;
    void ShowRow(std::uint32_t row) override;
    bool FocusedRow(std::uint32_t& row) const override;
    std::vector<TRowRange> SelectedRanges() const override;
    void Select(const std::vector<TRowRange>& ranges, std::uint32_t focus) override;

    // Passes the user's clicks and keys on to the list (its window procedure before the window's own),
    // keeping a large selection's change from redrawing row by row.
    LRESULT UserInput(WNDPROC original, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    std::uint32_t Count() const;
    void SetState(int item, UINT state, UINT mask) const;
    void ClearSelection();
    bool HasLargeSelection() const;
    // What changes until ReleaseDrawing is drawn once, after it. Wine's list does not scroll meanwhile.
    void HoldDrawing();
    void ReleaseDrawing();

    HWND FList = nullptr;
    int FHeld = 0;
};
