#pragma once

#include "viewer_process.h"

#include <string>
#include <vector>

namespace bench {

// Windows' own debug output channel (OutputDebugStringA), with Dravik capturing it against a minimal reader
// of the bench's own. Only one reader can hold the channel, so the two take turns block by block: Dravik's
// switch goes off (which must release the channel at once) for the minimal reader's blocks.
struct WindowsOutputResults {
    // Messages per second of the sending processes: the median of the blocks.
    double dravikOneSender = 0;
    double readerOneSender = 0;
    double dravikFourSenders = 0;
    double readerFourSenders = 0;
    // Dravik / minimal reader within each round.
    std::vector<double> oneSenderRatios;
    std::vector<double> fourSendersRatios;
    // Every message of the timed blocks is looked for: in Dravik's pane, or by the minimal reader.
    long dravikSent = 0;
    long dravikLost = 0;
    long readerSent = 0;
    long readerLost = 0;
    // Dravik's memory with its pane full of captured lines, and after memoryLines more.
    MemoryFigures before;
    MemoryFigures after;
    long memoryLines = 0;
    std::vector<std::string> problems;
};

WindowsOutputResults MeasureWindowsOutput(const std::string& dravikExe, int rounds);

// The sending side: `dravik-bench --sender TAG INDEX ORDER LINES WIDTH`, one of a ClientGroup. Before each
// block of ORDER it waits at the block's gate, then sends LINES messages of WIDTH characters or more.
int SenderMain(const std::string& tag, int index, const std::string& order, long linesEach, int width);

} // namespace bench
