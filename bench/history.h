#pragma once

#include "viewer_process.h"

#include <string>
#include <vector>

namespace bench {

// Dravik's History window over a history of 3000000 lines (about 256 MB) written into the folder before the
// viewer starts, against a plain reading of the same files: the lower bound of any such window.
struct HistoryResults {
    long lines = 0;
    double megabytes = 0;
    // Seconds from the menu command until the list shows its first rows, and its full count.
    double firstRows = 0;
    double fullCount = 0;
    // Seconds from a Filter term matching 1 row in 1000 (typed in one go, the pause before it applies
    // included) until the list shows those rows; from a Find of the last row's text until it is selected.
    double filter = 0;
    double find = 0;
    // The plain reading: the files read in blocks of 1 MiB with the lines counted, and with a text looked
    // for in them.
    double countLines = 0;
    double searchText = 0;
    MemoryFigures without;
    MemoryFigures with;
    // The longest answer of the main window to WM_NULL and the longest print of a client printing every
    // 10 ms, in milliseconds: with the window opening, reading, filtering and finding, and for as long
    // before it opened.
    double longestAnswerOpen = 0;
    double longestAnswerBefore = 0;
    double longestPrintOpen = 0;
    double longestPrintBefore = 0;
    long answers = 0;
    long prints = 0;
    std::vector<std::string> problems;
};

HistoryResults MeasureHistory(const std::string& dravikExe);

} // namespace bench
