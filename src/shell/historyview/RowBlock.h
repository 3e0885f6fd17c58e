#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class IHistoryFolder;

// Rows of one file read into memory with one read: what Find, the Filter, the rows the window draws and
// Export work on, so that each costs one call to the file system per block rather than one per row.
struct TRowBlock {
    // Where the block lies.
    std::string File;
    std::uint64_t Offset = 0;
    std::size_t Length = 0;
    // The position of the first row (a row of the index, or a row of those shown, as the planner says);
    // the rows of a block are at consecutive positions.
    std::uint64_t First = 0;

    // Each row's bytes in Bytes, with its line break; a row longer than a block is cut at its end. Rows
    // need not touch: a block may skip rows that are not shown.
    struct TRow {
        std::uint32_t Begin;
        std::uint32_t End;
    };
    std::vector<TRow> Rows;
    std::vector<char> Bytes;

    void Clear() {
        File.clear();
        Rows.clear();
        Offset = 0;
        Length = 0;
        First = 0;
    }
};

// How much a block reads at most: large enough that the cost of a call to the file system vanishes
// beside the work on the bytes, small enough that a step of work on it takes a few milliseconds.
const std::size_t MaxBlockBytes = 1 << 20;
// Rows further apart than this go into blocks of their own rather than having the bytes between read.
const std::size_t MaxBlockGap = 64 * 1024;

// Reads the bytes the block's plan asks for. False when the file cannot be read or has become shorter
// (the history's limit may remove a file while it is being read).
bool ReadRowBlock(IHistoryFolder& folder, TRowBlock& block);
