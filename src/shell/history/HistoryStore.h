#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/ReceivedLine.h"

// The history as the window's thread reaches it: every call returns at once, and the writing is done by a
// thread of the platform's, at least once a second.
class IHistoryStore {
  public:
    virtual ~IHistoryStore() = default;

    // Starts the writing with the folder's limit in bytes (HistoryLimitBytes): 0 keeps nothing. False where
    // the writing cannot run at all.
    virtual bool Start(std::uint64_t limitBytes) = 0;
    // The log file in use, at the start and after each switch: lines from here on go to its history.
    virtual void UseLogFile(const std::string& logFile) = 0;
    // Hands a received line over: its UTF-8 where it has one, otherwise its text converted.
    virtual void Add(const TReceivedLine& line) = 0;
    // What the writer has had to say since the last call, for the viewer to print as its own lines: the
    // store tells the window when there is something.
    virtual void TakeNotices(std::vector<std::string>& notices) = 0;
    // Writes what was handed over and stops, waiting a bounded time for a slow disk.
    virtual void Stop() = 0;
};
