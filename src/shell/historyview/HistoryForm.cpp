#include "shell/historyview/HistoryForm.h"

#include <algorithm>

#include "common/ScopeGuard.h"

namespace {

void AddPart(std::string& status, const std::string& part) {
    if (!part.empty())
        status += " | " + part;
}

} // namespace

void TfrmHistory::Attach(THistoryModel* model) {
    {
        const TFlagScope own(FChangingList);
        FList.Select({}, NoHistoryRow);
        FList.SetRowCount(0);
    }
    FModel = model;
    FDrawnRow = nullptr;
    FCache = model ? std::make_unique<THistoryRowCache>(*model) : nullptr;
    FCounts = THistoryCounts();
    FRowCount = 0;
    FReadOnce = false;
    FFollow = THistoryFollow();
    FFindWaiting = false;
    FFindStatus.clear();
    FFailure.clear();
    if (FModel) {
        // Positions count from what the model has shown when it is attached.
        const THistoryCounts counts = FModel->Counts();
        FCounts.ShownRemoved = counts.ShownRemoved;
        FCounts.Resets = counts.Resets;
        FModel->SetFilter(FFilterTerms);
        ApplyCounts(FModel->Counts());
    }
    UpdateStatus();
}

// The answer to a find is read before the counts: a row found is then among the rows the list gets.
void TfrmHistory::ModelChanged() {
    if (!FModel)
        return;
    const THistoryFindResult found = FModel->FindResult();
    ApplyCounts(FModel->Counts());
    ApplyFindResult(found);
    UpdateStatus();
}

void TfrmHistory::ApplyCounts(const THistoryCounts& counts) {
    const TFlagScope own(FChangingList);
    // Positions may now stand for other rows.
    FDrawnRow = nullptr;
    TShift shift;
    if (counts.Resets != FCounts.Resets) {
        // Every position the list holds is void.
        FList.Select({}, NoHistoryRow);
        FList.SetRowCount(0);
        FFollow.Restart(counts.ShownTotal());
    } else if (counts.ShownRemoved > FCounts.ShownRemoved) {
        shift = ShiftedUp(counts.ShownRemoved - FCounts.ShownRemoved);
    }
    FList.SetRowCount(counts.Shown);
    FRowCount = counts.Shown;
    if (shift.Shifted) {
        std::vector<TRowRange> kept;
        for (const TRowRange& range : shift.Selection)
            if (range.First < FRowCount)
                kept.push_back(TRowRange{range.First, std::min(range.Last, FRowCount - 1)});
        FList.Select(kept, shift.Focus < FRowCount ? shift.Focus : NoHistoryRow);
        if (!FFollow.Following())
            FList.ScrollTo(shift.Top);
    }
    if (FFollow.Following() && FRowCount > 0)
        FList.ShowRow(FRowCount - 1);
    FCounts = counts;
    if (!counts.Reading)
        FReadOnce = true;
}

// Rows left the top (their file removed by the history's limit): what the user selected and looks at
// keeps its place among the rows that remain.
TfrmHistory::TShift TfrmHistory::ShiftedUp(std::uint64_t removed) const {
    TShift shift;
    shift.Shifted = true;
    const std::uint32_t top = FList.TopRow();
    shift.Top = top > removed ? static_cast<std::uint32_t>(top - removed) : 0;
    std::uint32_t focus;
    if (FList.FocusedRow(focus) && focus >= removed)
        shift.Focus = static_cast<std::uint32_t>(focus - removed);
    for (const TRowRange& range : FList.SelectedRanges()) {
        if (range.Last < removed)
            continue;
        const std::uint32_t first =
            range.First >= removed ? static_cast<std::uint32_t>(range.First - removed) : 0;
        shift.Selection.push_back(TRowRange{first, static_cast<std::uint32_t>(range.Last - removed)});
    }
    return shift;
}

void TfrmHistory::ApplyFindResult(const THistoryFindResult& result) {
    if (!FFindWaiting || result.Request != FFindRequest || result.State == TFindState::Searching)
        return;
    if (result.State == TFindState::Found && result.Row >= FRowCount)
        return;
    FFindWaiting = false;
    FFindStatus = FindStatusText(result, FRowCount);
    if (result.State != TFindState::Found)
        return;
    {
        const TFlagScope own(FChangingList);
        FList.Select({TRowRange{result.Row, result.Row}}, result.Row);
        FList.ShowRow(result.Row);
    }
    // The row found stays in view: Follow goes on only when it is the last row.
    if (result.Row + 1 == FRowCount)
        FFollow.Resume();
    else
        FFollow.Stop(FCounts.ShownTotal());
}

bool TfrmHistory::LastRowVisible() const {
    return FRowCount == 0 || std::uint64_t(FList.TopRow()) + FList.RowsPerPage() >= FRowCount;
}

// From the selected row (Enter, F3 and Shift+F3 pass over it); without one, from the first row in view
// going forward and from the last one going backward, that row included.
bool TfrmHistory::StartPosition(bool forward, std::uint32_t& from, bool& included) const {
    if (FList.FocusedRow(from) && from < FRowCount) {
        included = false;
        return true;
    }
    included = true;
    if (FRowCount == 0) {
        from = 0;
        return true;
    }
    const std::uint32_t top = std::min(FList.TopRow(), FRowCount - 1);
    from = forward ? top
                   : static_cast<std::uint32_t>(
                         std::min<std::uint64_t>(std::uint64_t(top) + FList.RowsPerPage(), FRowCount) - 1);
    return true;
}

void TfrmHistory::FindTyped(const std::string& utf8Text) {
    FFindText = utf8Text;
    if (!FModel)
        return;
    FFindStatus.clear();
    if (utf8Text.empty()) {
        FModel->CancelFind();
        FFindWaiting = false;
    } else {
        std::uint32_t from;
        bool included;
        StartPosition(true, from, included);
        FFindRequest = FModel->Find(utf8Text, from, true, true);
        FFindWaiting = true;
    }
    UpdateStatus();
}

void TfrmHistory::FindAgain(bool forward) {
    if (!FModel || FFindText.empty())
        return;
    std::uint32_t from;
    bool included;
    StartPosition(forward, from, included);
    FFindRequest = FModel->Find(FFindText, from, forward, included);
    FFindWaiting = true;
    FFindStatus.clear();
    UpdateStatus();
}

bool TfrmHistory::FilterTyped(const std::string& utf8Terms) {
    FFilterTerms = utf8Terms;
    if (!FModel || !FModel->SetFilter(utf8Terms))
        return false;
    // The rows shown are chosen anew: the view starts again at the newest of them.
    {
        const TFlagScope own(FChangingList);
        FList.Select({}, NoHistoryRow);
    }
    FFindWaiting = false;
    FFindStatus.clear();
    FFollow.Resume();
    ApplyCounts(FModel->Counts());
    FFollow.Restart(FCounts.ShownTotal());
    UpdateStatus();
    return true;
}

void TfrmHistory::ListScrolled() {
    if (FChangingList || !FModel)
        return;
    if (LastRowVisible())
        FFollow.Resume();
    else
        FFollow.Stop(FCounts.ShownTotal());
    UpdateStatus();
}

void TfrmHistory::SelectionMoved() {
    std::uint32_t row;
    if (FChangingList || !FModel || !FList.FocusedRow(row))
        return;
    if (row + 1 >= FRowCount)
        FFollow.Resume();
    else
        FFollow.Stop(FCounts.ShownTotal());
    UpdateStatus();
}

void TfrmHistory::ListResized() {
    if (!FFollow.Following() || FRowCount == 0)
        return;
    const TFlagScope own(FChangingList);
    FList.ShowRow(FRowCount - 1);
}

void TfrmHistory::SelectAll() {
    if (FRowCount == 0)
        return;
    std::uint32_t focus = NoHistoryRow;
    FList.FocusedRow(focus);
    const TFlagScope own(FChangingList);
    FList.Select({TRowRange{0, FRowCount - 1}}, focus);
}

std::vector<TRowRange> TfrmHistory::SelectedRanges() const {
    std::vector<TRowRange> ranges;
    for (const TRowRange& range : FList.SelectedRanges())
        if (range.First < FRowCount)
            ranges.push_back(TRowRange{range.First, std::min(range.Last, FRowCount - 1)});
    return ranges;
}

void TfrmHistory::SetNotice(const std::string& utf8Text) {
    FNotice = utf8Text;
    UpdateStatus();
}

void TfrmHistory::SetFailure(const std::string& utf8Text) {
    FFailure = utf8Text;
    UpdateStatus();
}

// The list asks for each column of a row in turn: the row is looked up once.
const THistoryRow* TfrmHistory::Row(std::uint32_t position) {
    if (!FCache || position >= FRowCount)
        return nullptr;
    if (!FDrawnRow || position != FDrawnPosition) {
        FDrawnRow = FCache->Row(position);
        FDrawnPosition = position;
    }
    return FDrawnRow;
}

void TfrmHistory::UpdateStatus() {
    FStatus = ShownStatusText(FCounts);
    if (FModel && FCounts.Reading && !FReadOnce)
        AddPart(FStatus, "reading");
    else if (FModel && !FCounts.FolderListed)
        AddPart(FStatus, "no history yet");
    if (FCounts.Filtering)
        AddPart(FStatus, "filtering");
    if (FFindWaiting)
        AddPart(FStatus, "finding");
    AddPart(FStatus, FFindStatus);
    const std::uint64_t arrived = FFollow.Arrived(FCounts.ShownTotal());
    if (arrived > 0)
        AddPart(FStatus, ArrivedStatusText(arrived));
    if (FCounts.UnreadableFiles > 0)
        AddPart(FStatus, std::to_string(FCounts.UnreadableFiles) +
                             (FCounts.UnreadableFiles == 1 ? " file" : " files") + " could not be read");
    AddPart(FStatus, FFailure);
    AddPart(FStatus, FNotice);
}
