#pragma once

#include "viewer_process.h"

#include <string>
#include <vector>

namespace bench {

// A flood from four clients into Dravik with its history on (the default), afterwards every line looked
// for in the history files, and Dravik's private bytes before and after the flood.
struct HistoryFloodResults {
    long sent = 0;
    // Lines of the flood found in the history, each once; lines found more than once, and found out of their
    // client's order.
    long kept = 0;
    long twice = 0;
    long outOfOrder = 0;
    // Seconds from the last client's end until the history held every line.
    double catchUpSeconds = 0;
    MemoryFigures before;
    MemoryFigures after;
    std::vector<std::string> problems;
};

HistoryFloodResults MeasureHistoryFlood(const std::string& dravikExe);

} // namespace bench
