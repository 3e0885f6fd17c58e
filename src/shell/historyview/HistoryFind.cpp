// THistoryModel's Find: asked for by the window, done block by block by the background thread.
#include "shell/historyview/HistoryModel.h"

#include <algorithm>

#include "shell/historyview/BlockMatch.h"
#include "shell/historyview/HistoryLock.h"

std::uint32_t THistoryModel::Find(std::string_view utf8Text, std::uint32_t from, bool forward,
                                  bool fromIncluded) {
    auto pattern = utf8Text.empty() ? nullptr : std::make_shared<const TTextPattern>(utf8Text, false);
    THistoryLockScope lock(FLock);
    TFindJob& job = FFind;
    ++job.Request;
    job.Pattern = std::move(pattern);
    job.State = job.Pattern ? TFindState::Searching : TFindState::Idle;
    job.Forward = forward;
    job.Wrapped = false;
    const std::uint64_t at = FShownRemoved + from;
    // Forward: from Next to the last row, then from the top to just before Stop. Backward: from just
    // below Next up to the top, then from the last row down to Stop.
    if (forward)
        job.Next = job.Stop = fromIncluded ? at : at + 1;
    else
        job.Next = job.Stop = fromIncluded ? at + 1 : at;
    return job.Request;
}

void THistoryModel::CancelFind() {
    THistoryLockScope lock(FLock);
    FFind.State = TFindState::Idle;
    FFind.Pattern.reset();
}

THistoryFindResult THistoryModel::FindResult() const {
    THistoryLockScope lock(FLock);
    THistoryFindResult result;
    result.Request = FFind.Request;
    result.State = FFind.State;
    if (result.State == TFindState::Found) {
        // The row found may have left the top since.
        if (FFind.Found < FShownRemoved || FFind.Found - FShownRemoved >= ShownCountLocked())
            result.State = TFindState::NotFound;
        else
            result.Row = static_cast<std::uint32_t>(FFind.Found - FShownRemoved);
    }
    return result;
}

// Plans the next block of shown rows to look through, and says NotFound once every row was. False when
// the search must wait for rows not yet read or filtered.
bool THistoryModel::PlanFindBlock(TFindJob& job, std::uint64_t top, std::uint64_t end, bool complete) {
    std::uint64_t low, high;
    if (job.Forward) {
        job.Next = std::max(job.Next, top);
        if (!job.Wrapped && job.Next >= end) {
            if (!complete)
                return false;
            job.Wrapped = true;
            job.Next = top;
        }
        low = job.Next;
        high = job.Wrapped ? std::min(job.Stop, end) : end;
    } else {
        job.Next = std::min(job.Next, end);
        if (!job.Wrapped && job.Next <= top) {
            if (!complete)
                return false;
            job.Wrapped = true;
            job.Next = end;
        }
        low = job.Wrapped ? std::max(job.Stop, top) : top;
        high = job.Next;
    }
    FBlock.Rows.clear();
    if (low >= high) {
        job.State = TFindState::NotFound;
        return true;
    }
    std::size_t slot;
    if (job.Forward) {
        FIndex.BeginBlock(RowAtLocked(low - top), MaxBlockBytes, FBlock, slot);
        FBlock.First = low;
        for (std::uint64_t at = low + 1;
             at < high && FIndex.ExtendBlock(RowAtLocked(at - top), MaxBlockBytes, FBlock, slot); ++at) {
        }
        return true;
    }
    // Backward: find how far down one block reaches from the row below Next, then plan it upwards.
    TLineIndex::TPlace last, place;
    FIndex.Locate(RowAtLocked(high - 1 - top), last);
    std::uint64_t first = high - 1, begin = last.Begin;
    while (first > low) {
        if (!FIndex.Locate(RowAtLocked(first - 1 - top), place) || place.Slot != last.Slot ||
            place.End > begin || begin - place.End > MaxBlockGap || last.End - place.Begin > MaxBlockBytes)
            break;
        --first;
        begin = place.Begin;
    }
    FIndex.BeginBlock(RowAtLocked(first - top), MaxBlockBytes, FBlock, slot);
    FBlock.First = first;
    for (std::uint64_t at = first + 1;
         at < high && FIndex.ExtendBlock(RowAtLocked(at - top), MaxBlockBytes, FBlock, slot); ++at) {
    }
    return true;
}

// One block of a find: planned and answered under the lock, read and searched without it.
bool THistoryModel::FindStep(THistoryWork& work) {
    std::shared_ptr<const TTextPattern> pattern;
    std::uint32_t request;
    bool forward;
    {
        THistoryLockScope lock(FLock);
        TFindJob& job = FFind;
        if (job.State != TFindState::Searching)
            return false;
        const std::uint64_t top = FShownRemoved;
        if (!PlanFindBlock(job, top, top + ShownCountLocked(), CompleteLocked()))
            return false;
        if (job.State == TFindState::NotFound) {
            work = THistoryWork::Changed;
            return true;
        }
        pattern = job.Pattern;
        request = job.Request;
        forward = job.Forward;
    }
    work = THistoryWork::Busy;
    FFlags.assign(FBlock.Rows.size(), 0);
    // Rows that cannot be read are passed over, as not containing the text.
    if (ReadRowBlock(FFolder, FBlock))
        MarkMatchingRows(*pattern, FBlock, TMarkRule{}, FFlags);
    // The first row found going forward, the last going backward.
    std::size_t hit = FFlags.size();
    for (std::size_t i = 0; i < FFlags.size(); ++i)
        if (FFlags[i] != 0) {
            hit = i;
            if (forward)
                break;
        }
    THistoryLockScope lock(FLock);
    TFindJob& job = FFind;
    if (job.Request != request || job.State != TFindState::Searching)
        return true;
    if (hit != FFlags.size()) {
        job.State = TFindState::Found;
        job.Found = FBlock.First + hit;
        work = THistoryWork::Changed;
    } else if (forward) {
        job.Next = FBlock.First + FBlock.Rows.size();
    } else {
        job.Next = FBlock.First;
    }
    return true;
}
