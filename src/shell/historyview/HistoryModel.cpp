#include "shell/historyview/HistoryModel.h"

#include <algorithm>

#include "shell/historyview/HistoryFileNames.h"
#include "shell/historyview/HistoryFolder.h"
#include "shell/historyview/HistoryLock.h"

THistoryModel::THistoryModel(IHistoryFolder& folder, IHistoryLock& lock) : FFolder(folder), FLock(lock) {}

std::uint32_t THistoryModel::ShownCountLocked() const {
    return static_cast<std::uint32_t>(FFilter ? FShown.size() : FIndex.RowCount());
}

std::uint64_t THistoryModel::RowAtLocked(std::uint64_t shown) const {
    return FIndex.FirstRow() + (FFilter ? FShown[static_cast<std::size_t>(shown)] : shown);
}

bool THistoryModel::CompleteLocked() const {
    return FIndex.IsComplete() && (!FFilter || FFilteredTo >= FIndex.EndRow());
}

THistoryCounts THistoryModel::Counts() const {
    THistoryLockScope lock(FLock);
    THistoryCounts counts;
    counts.Rows = static_cast<std::uint32_t>(FIndex.RowCount());
    counts.Shown = ShownCountLocked();
    counts.ShownRemoved = FShownRemoved;
    counts.Resets = FResets;
    counts.UnreadableFiles = FIndex.UnreadableFiles();
    counts.FolderListed = FFolderListed;
    counts.Reading = FRefreshWanted || !FIndex.IsComplete();
    counts.Filtering = FFilter && FFilteredTo < FIndex.EndRow();
    return counts;
}

bool THistoryModel::SetFilter(std::string_view utf8Terms) {
    // Compiled before the lock is taken: the background thread goes on meanwhile.
    auto filter = std::make_shared<const THistoryFilter>(utf8Terms);
    THistoryLockScope lock(FLock);
    if (filter->Terms() == (FFilter ? FFilter->Terms() : std::string()))
        return false;
    FFilter = filter->ShowsEverything() ? nullptr : std::move(filter);
    ++FFilterGeneration;
    FShown.clear();
    // Without a filter the list is not needed at all: give its memory back.
    if (!FFilter)
        FShown.shrink_to_fit();
    FFilteredTo = FIndex.FirstRow();
    // Positions of the old choice of rows mean nothing in the new one.
    FFind.State = TFindState::Idle;
    FFind.Pattern.reset();
    return true;
}

std::shared_ptr<const THistoryFilter> THistoryModel::Filter() const {
    THistoryLockScope lock(FLock);
    return FFilter;
}

bool THistoryModel::ShownRow(std::uint32_t shown, std::uint64_t& row) const {
    THistoryLockScope lock(FLock);
    if (shown >= ShownCountLocked())
        return false;
    row = RowAtLocked(shown);
    return true;
}

bool THistoryModel::PlanShown(std::uint32_t shown, std::size_t maxRows, std::size_t maxBytes,
                              TRowBlock& block, std::vector<std::uint64_t>& ids) const {
    THistoryLockScope lock(FLock);
    const std::uint32_t count = ShownCountLocked();
    std::size_t slot;
    if (shown >= count || !FIndex.BeginBlock(RowAtLocked(shown), maxBytes, block, slot))
        return false;
    block.First = shown;
    ids.assign(1, RowAtLocked(shown));
    for (std::uint32_t next = shown + 1; next < count && ids.size() < maxRows; ++next) {
        const std::uint64_t row = RowAtLocked(next);
        if (!FIndex.ExtendBlock(row, maxBytes, block, slot))
            break;
        ids.push_back(row);
    }
    return true;
}

bool THistoryModel::PlanRows(std::uint64_t first, std::uint64_t last, TRowBlock& block) const {
    THistoryLockScope lock(FLock);
    std::size_t slot;
    if (!FIndex.BeginBlock(first, MaxBlockBytes, block, slot))
        return false;
    block.First = first;
    for (std::uint64_t row = first + 1; row <= last && FIndex.ExtendBlock(row, MaxBlockBytes, block, slot);
         ++row) {
    }
    return true;
}

THistoryWork THistoryModel::Relist() {
    std::vector<THistoryFileEntry> listing;
    const bool listed = FFolder.ListFiles(listing);
    const std::vector<THistoryFileEntry> files = HistoryFilesInOrder(listing);
    THistoryLockScope lock(FLock);
    const bool wasListed = FFolderListed;
    FFolderListed = listed;
    // A folder that cannot be listed for a moment keeps its rows; one that is back is followed as usual.
    if (!listed)
        return wasListed ? THistoryWork::Changed : THistoryWork::Busy;
    const std::uint64_t firstRow = FIndex.FirstRow();
    switch (FIndex.TakeListing(files)) {
    case TLineIndex::TListing::Reset:
        StartOverLocked();
        return THistoryWork::Changed;
    case TLineIndex::TListing::Changed:
        RowsLeftTopLocked(firstRow);
        return THistoryWork::Changed;
    case TLineIndex::TListing::Unchanged:
        break;
    }
    return wasListed ? THistoryWork::Busy : THistoryWork::Changed;
}

void THistoryModel::StartOverLocked() {
    ++FResets;
    FShown.clear();
    FFilteredTo = FIndex.FirstRow();
    FFind.State = TFindState::Idle;
    FFind.Pattern.reset();
}

// The shown rows keep their numbers from the index's first row: when rows leave the top, those still
// there are renumbered, once per file removed.
void THistoryModel::RowsLeftTopLocked(std::uint64_t previousFirstRow) {
    const std::uint64_t gone = FIndex.FirstRow() - previousFirstRow;
    if (gone == 0)
        return;
    FFilteredTo = std::max(FFilteredTo, FIndex.FirstRow());
    if (!FFilter) {
        FShownRemoved += gone;
        return;
    }
    const auto kept = std::lower_bound(FShown.begin(), FShown.end(), gone);
    FShownRemoved += static_cast<std::uint64_t>(kept - FShown.begin());
    FShown.erase(FShown.begin(), kept);
    for (std::uint32_t& row : FShown)
        row -= static_cast<std::uint32_t>(gone);
}

void THistoryModel::AppendShownLocked(std::uint64_t firstRow, const std::vector<unsigned char>& shown) {
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i] != 0)
            FShown.push_back(static_cast<std::uint32_t>(firstRow + i - FIndex.FirstRow()));
    FFilteredTo = firstRow + shown.size();
}
