#include "shell/historyview/LineIndex.h"

#include <algorithm>
#include <unordered_map>

#include "shell/historyview/ByteSearch.h"
#include "shell/historyview/RowBlock.h"

namespace {

// Offsets are kept in 32 bits: a file is numbered up to 4 GiB. The writer starts a new file at 16 MiB;
// only a foreign file can be larger.
const std::uint64_t MaxIndexedSize = 0xFFFFFFFF;

TByteKey LineFeed() {
    TByteKey key;
    key.Add('\n');
    return key;
}

} // namespace

// A newest file that could not be read counts as read until the next listing.
bool TLineIndex::IsComplete() const {
    if (FWaitForListing)
        return true;
    for (const TFile& file : FFiles)
        if (!file.Closed && file.ScanFrom < file.Size)
            return false;
    return true;
}

void TLineIndex::Append(const THistoryFileEntry& entry) {
    TFile file;
    file.Name = entry.Name;
    file.Size = std::min(entry.Size, MaxIndexedSize);
    file.FirstRow = FEndRow;
    FFiles.push_back(std::move(file));
}

TLineIndex::TListing TLineIndex::TakeListing(const std::vector<THistoryFileEntry>& files) {
    FWaitForListing = false;
    std::unordered_map<std::string, std::size_t> listed;
    for (std::size_t i = 0; i < files.size(); ++i)
        listed.emplace(files[i].Name, i);
    std::size_t gone = 0;
    while (gone < FFiles.size() && listed.count(FFiles[gone].Name) == 0)
        ++gone;
    bool followable = true;
    const std::size_t kept = FFiles.size() - gone;
    for (std::size_t i = gone; i < FFiles.size() && followable; ++i) {
        const auto at = listed.find(FFiles[i].Name);
        // The files still there must be the first listed, in the same order, none smaller than read.
        followable =
            at != listed.end() && at->second == i - gone && files[at->second].Size >= FFiles[i].ScanFrom;
    }
    if (!followable) {
        RemoveOldest(FFiles.size());
        FUnreadableFiles = 0;
        for (const THistoryFileEntry& entry : files)
            Append(entry);
        CloseFinishedFiles();
        return TListing::Reset;
    }
    bool changed = gone > 0;
    RemoveOldest(gone);
    for (std::size_t i = 0; i < kept; ++i) {
        TFile& file = FFiles[i];
        const std::uint64_t size = std::min(files[i].Size, MaxIndexedSize);
        // A closed file that grows (another program wrote to it) is not read again: its rows would
        // come between rows already numbered.
        if (!file.Closed && size != file.Size) {
            file.Size = size;
            changed = true;
        }
    }
    for (std::size_t i = kept; i < files.size(); ++i) {
        Append(files[i]);
        changed = true;
    }
    CloseFinishedFiles();
    return changed ? TListing::Changed : TListing::Unchanged;
}

// A file read to its end that is no longer the newest will not grow: an unfinished last line there (the
// viewer ended in the middle of writing it) is a row of its own.
void TLineIndex::CloseFinishedFiles() {
    for (std::size_t slot = 0; slot + 1 < FFiles.size(); ++slot) {
        TFile& file = FFiles[slot];
        if (file.Closed)
            continue;
        if (file.ScanFrom < file.Size)
            return;
        if (file.RowsEnd < file.Size) {
            file.Starts.push_back(static_cast<std::uint32_t>(file.RowsEnd));
            file.RowsEnd = file.Size;
            AddRows(slot, 1);
        }
        file.Closed = true;
        file.Starts.shrink_to_fit();
    }
}

void TLineIndex::AddRows(std::size_t slot, std::uint64_t count) {
    FEndRow += count;
    for (std::size_t later = slot + 1; later < FFiles.size(); ++later)
        FFiles[later].FirstRow += count;
}

void TLineIndex::RemoveOldest(std::size_t count) {
    if (count == 0)
        return;
    FFirstRow = count < FFiles.size() ? FFiles[count].FirstRow : FEndRow;
    FFiles.erase(FFiles.begin(), FFiles.begin() + static_cast<std::ptrdiff_t>(count));
}

bool TLineIndex::KeepAtMost(std::uint64_t maxRows) {
    std::size_t count = 0;
    while (count + 1 < FFiles.size() && FFiles[count].Closed && FEndRow - FFiles[count].FirstRow > maxRows)
        ++count;
    RemoveOldest(count);
    return count > 0;
}

bool TLineIndex::NextScan(TScan& scan) const {
    if (FWaitForListing)
        return false;
    for (std::size_t slot = 0; slot < FFiles.size(); ++slot) {
        const TFile& file = FFiles[slot];
        if (file.Closed)
            continue;
        if (file.ScanFrom >= file.Size)
            return false;
        scan.Slot = slot;
        scan.File = file.Name;
        scan.RowsEnd = file.RowsEnd;
        scan.ScanFrom = file.ScanFrom;
        // The block starts where the unfinished row does, so that every row completed in it lies whole in
        // it and the filter can take it from the same bytes; a row longer than half a block is passed
        // over a block at a time.
        scan.Offset = file.ScanFrom - file.RowsEnd < MaxBlockBytes / 2 ? file.RowsEnd : file.ScanFrom;
        scan.Length =
            static_cast<std::size_t>(std::min<std::uint64_t>(MaxBlockBytes, file.Size - scan.Offset));
        return true;
    }
    return false;
}

void TLineIndex::FindRows(const TScan& scan, const char* bytes, std::size_t read, TScanResult& result) {
    const TByteKey lineFeed = LineFeed();
    result.Starts.clear();
    std::uint64_t rowStart = scan.RowsEnd;
    // A byte order mark that an editor put at the start of a file is not part of its first line.
    if (scan.Offset == 0 && rowStart == 0 && read >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' &&
        bytes[2] == '\xBF')
        rowStart = 3;
    const char* const end = bytes + read;
    const char* p = bytes + (std::max(scan.ScanFrom, rowStart) - scan.Offset);
    for (;;) {
        p = FindKeyByte(p, end, lineFeed);
        if (p == end)
            break;
        ++p;
        result.Starts.push_back(static_cast<std::uint32_t>(rowStart));
        rowStart = scan.Offset + static_cast<std::uint64_t>(p - bytes);
    }
    result.RowsEnd = rowStart;
    result.ScanFrom = scan.Offset + read;
}

void TLineIndex::TakeRows(const TScan& scan, const TScanResult& result) {
    TFile& file = FFiles[scan.Slot];
    file.Starts.insert(file.Starts.end(), result.Starts.begin(), result.Starts.end());
    file.RowsEnd = result.RowsEnd;
    file.ScanFrom = result.ScanFrom;
    AddRows(scan.Slot, result.Starts.size());
    CloseFinishedFiles();
}

void TLineIndex::ScanFailed(const TScan& scan) {
    if (scan.Slot + 1 == FFiles.size()) {
        FWaitForListing = true;
        return;
    }
    TFile& file = FFiles[scan.Slot];
    file.Closed = true;
    file.Size = file.ScanFrom = file.RowsEnd;
    file.Starts.shrink_to_fit();
    ++FUnreadableFiles;
    CloseFinishedFiles();
}

std::uint64_t TLineIndex::RowEnd(const TFile& file, std::size_t row) const {
    return row + 1 < file.Starts.size() ? file.Starts[row + 1] : file.RowsEnd;
}

bool TLineIndex::Locate(std::uint64_t row, TPlace& place) const {
    if (row < FFirstRow || row >= FEndRow)
        return false;
    // The last file that starts at or before the row: an empty file shares its first row with the next.
    const auto after =
        std::upper_bound(FFiles.begin(), FFiles.end(), row,
                         [](std::uint64_t value, const TFile& file) { return value < file.FirstRow; });
    place.Slot = static_cast<std::size_t>(after - FFiles.begin()) - 1;
    const TFile& file = FFiles[place.Slot];
    const std::size_t inFile = static_cast<std::size_t>(row - file.FirstRow);
    place.Begin = file.Starts[inFile];
    place.End = RowEnd(file, inFile);
    return true;
}

bool TLineIndex::BeginBlock(std::uint64_t row, std::size_t maxBytes, TRowBlock& block,
                            std::size_t& slot) const {
    TPlace place;
    if (!Locate(row, place))
        return false;
    slot = place.Slot;
    block.File = FFiles[slot].Name;
    block.Offset = place.Begin;
    block.Length = static_cast<std::size_t>(std::min<std::uint64_t>(place.End - place.Begin, maxBytes));
    block.Rows.assign(1, TRowBlock::TRow{0, static_cast<std::uint32_t>(block.Length)});
    return true;
}

bool TLineIndex::ExtendBlock(std::uint64_t row, std::size_t maxBytes, TRowBlock& block,
                             std::size_t slot) const {
    const TFile& file = FFiles[slot];
    if (row < file.FirstRow || row - file.FirstRow >= file.Starts.size())
        return false;
    const std::size_t inFile = static_cast<std::size_t>(row - file.FirstRow);
    const std::uint64_t begin = file.Starts[inFile], end = RowEnd(file, inFile);
    const std::uint64_t blockEnd = block.Offset + block.Length;
    if (begin < blockEnd || begin - blockEnd > MaxBlockGap || end - block.Offset > maxBytes)
        return false;
    block.Rows.push_back(TRowBlock::TRow{static_cast<std::uint32_t>(begin - block.Offset),
                                         static_cast<std::uint32_t>(end - block.Offset)});
    block.Length = static_cast<std::size_t>(end - block.Offset);
    return true;
}
