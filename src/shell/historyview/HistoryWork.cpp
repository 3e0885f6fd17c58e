// THistoryModel's background work: reading the files for rows and applying the filter.
#include "shell/historyview/HistoryModel.h"

#include <algorithm>

#include "shell/historyview/HistoryFolder.h"
#include "shell/historyview/HistoryLock.h"

// What the user waits for comes first: the answer to a find, then the rows of a new filter, then rows
// not read yet. A find that has reached the last row known lets the others run until there are more.
THistoryWork THistoryModel::Step() {
    if (FRefreshWanted.exchange(false))
        return Relist();
    THistoryWork work = THistoryWork::Idle;
    if (FindStep(work) || FilterStep(work) || IndexStep(work))
        return work;
    return THistoryWork::Idle;
}

// Reads the next block of a file for line ends. Where the filter has caught up with the index, it takes
// the new rows from the same bytes, so that a filter typed before the files are read costs no second read.
bool THistoryModel::IndexStep(THistoryWork& work) {
    if (!FIndex.NextScan(FScan))
        return false;
    work = THistoryWork::Changed;
    FBlock.Bytes.resize(std::max(FBlock.Bytes.size(), FScan.Length));
    std::size_t read = 0;
    if (!FFolder.ReadFile(FScan.File, FScan.Offset, FBlock.Bytes.data(), FScan.Length, read) ||
        read != FScan.Length) {
        THistoryLockScope lock(FLock);
        FIndex.ScanFailed(FScan);
        return true;
    }
    TLineIndex::FindRows(FScan, FBlock.Bytes.data(), read, FScanResult);

    std::shared_ptr<const THistoryFilter> filter;
    std::uint32_t generation = 0;
    const std::uint64_t firstNew = FIndex.EndRow();
    const bool rowsWhole = FScanResult.Starts.empty() || FScanResult.Starts.front() >= FScan.Offset;
    if (rowsWhole) {
        THistoryLockScope lock(FLock);
        if (FFilter && FFilteredTo == firstNew) {
            filter = FFilter;
            generation = FFilterGeneration;
        }
    }
    if (filter) {
        FBlock.Rows.clear();
        const std::vector<std::uint32_t>& starts = FScanResult.Starts;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::uint64_t end = i + 1 < starts.size() ? starts[i + 1] : FScanResult.RowsEnd;
            FBlock.Rows.push_back(TRowBlock::TRow{static_cast<std::uint32_t>(starts[i] - FScan.Offset),
                                                  static_cast<std::uint32_t>(end - FScan.Offset)});
        }
        filter->Apply(FBlock, FFlags);
    }

    THistoryLockScope lock(FLock);
    FIndex.TakeRows(FScan, FScanResult);
    if (filter && generation == FFilterGeneration && FFilteredTo == firstNew)
        AppendShownLocked(firstNew, FFlags);
    const std::uint64_t firstRow = FIndex.FirstRow();
    if (FIndex.KeepAtMost(MaxHistoryRows))
        RowsLeftTopLocked(firstRow);
    return true;
}

// Applies a new filter to rows already in the index, a block at a time.
bool THistoryModel::FilterStep(THistoryWork& work) {
    std::shared_ptr<const THistoryFilter> filter;
    std::uint32_t generation;
    std::uint64_t from;
    {
        THistoryLockScope lock(FLock);
        if (!FFilter || FFilteredTo >= FIndex.EndRow())
            return false;
        filter = FFilter;
        generation = FFilterGeneration;
        from = FFilteredTo;
    }
    work = THistoryWork::Changed;
    std::size_t slot;
    FIndex.BeginBlock(from, MaxBlockBytes, FBlock, slot);
    for (std::uint64_t row = from + 1;
         row < FIndex.EndRow() && FIndex.ExtendBlock(row, MaxBlockBytes, FBlock, slot); ++row) {
    }
    // Rows that cannot be read (their file removed by the limit a moment ago) are not shown.
    if (ReadRowBlock(FFolder, FBlock))
        filter->Apply(FBlock, FFlags);
    else
        FFlags.assign(FBlock.Rows.size(), 0);
    THistoryLockScope lock(FLock);
    if (generation == FFilterGeneration && FFilteredTo == from)
        AppendShownLocked(from, FFlags);
    return true;
}
