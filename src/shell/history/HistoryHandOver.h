#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/ReceivedLine.h"

// Converts text in the system's code page to UTF-8.
class IToUtf8 {
  public:
    virtual ~IToUtf8() = default;
    // Replaces utf8's content with the converted text.
    virtual void Convert(std::string_view codePageText, std::string& utf8) = 0;
};

// From Offset on, the batch's entries belong to the history of another log file.
struct THistorySwitch {
    std::size_t Offset = 0;
    std::string Folder;
};

// What the window's thread handed over since the writer last took it.
struct THistoryBatch {
    // Whole entries, in the order the lines were received.
    std::string Bytes;
    std::vector<THistorySwitch> Switches;
    // Entries left out because the writer was too far behind.
    std::uint64_t Dropped = 0;
};

// The history's side on the window's thread: formats each line into a buffer that the writer's thread
// swaps out. Not locked itself: every call must be made under one lock that the caller holds, and none
// waits for the disk.
class THistoryHandOver {
  public:
    // Lines waiting here are held to this many bytes, so that a disk that refuses them, or is slower than
    // the lines come, cannot make the viewer grow: with the batch the writer is writing, at most twice
    // this is held. 16 MiB is some 150000 lines of 80 characters, seconds of a flood.
    static constexpr std::size_t MostHeldBytes = 16 * 1048576;

    // A history that is off (its limit "0") takes nothing.
    THistoryHandOver(IToUtf8& toUtf8, bool on, std::size_t mostHeldBytes = MostHeldBytes);

    // The log file in use, at the start and after each switch: lines from here on go to its history.
    // Lines before the first call are not kept.
    void UseLogFile(const std::string& logFile);
    void Add(const TReceivedLine& line);

    // The writer's thread: whether there is anything to take, and the swap itself. The batch must be one
    // the writer has finished with (it comes back empty).
    bool HasWork() const { return !FPending.empty() || !FSwitches.empty() || FDropped != 0; }
    void TakeInto(THistoryBatch& batch);

  private:
    IToUtf8& FToUtf8;
    const bool FOn;
    const std::size_t FMostHeldBytes;
    bool FHasLogFile = false;
    std::string FPending;
    std::vector<THistorySwitch> FSwitches;
    std::uint64_t FDropped = 0;
    std::string FConverted;
};
