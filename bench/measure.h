#pragma once

#include "channel_client.h"
#include "viewer_process.h"

#include <string>
#include <utility>
#include <vector>

namespace bench {

struct ViewerSetup {
    std::string name;
    std::string exe;
    std::string arguments;
    ChannelNames names;
    // Each viewer runs from a fresh copy in a folder of its own; the real viewer's log file lies there, and
    // it has a pane to check.
    bool isDravik = false;
    // Settings the viewer starts with, name and value.
    std::vector<std::pair<std::string, std::string>> settings;
};

struct ViewerResults {
    double oneClientLinesPerSecond = 0;
    double fourClientsLinesPerSecond = 0;
    double latencyMedianMs = 0;
    double latency99Ms = 0;
    double latencyMeanMs = 0;
    double latencyMaxMs = 0;
    double cpuPerLineUs = 0;
    double startupMs = 0;
    MemoryFigures memory;
    // Dravik's blocks after which its pane ended with the last line sent.
    int panesChecked = 0;
    std::vector<std::string> problems;
};

struct RunResults {
    ViewerResults dravik;
    ViewerResults null;
    // The null viewer once more after the rounds, its window shown and active like Dravik's: how much of
    // Dravik's memory any shown window costs here. Zero when it could not be measured (see problems).
    MemoryFigures shownNullMemory;
    std::vector<std::string> shownNullProblems;
    // Dravik / null viewer within each round.
    std::vector<double> oneClientRatios;
    std::vector<double> fourClientsRatios;
};

// Measures both viewers for `rounds` rounds, each with both started afresh. In a round the viewers first
// start in turns, neither running while the other starts; then both run at once and the clients take
// turns between them block by block, so that both meet the same moments of the machine's load. Every figure
// pools all rounds; memory is that after the last round. Then the null viewer runs once more with its window
// shown (`--show`), for its memory.
RunResults MeasureInTurns(const ViewerSetup& dravik, const ViewerSetup& null, int rounds);

// The order of the blocks in a round: A B B A B A A B (each viewer as often early as late), 'D' for Dravik
// and 'N' for the other, with the one that goes first changing from round to round.
std::string BlockOrder(int round);

} // namespace bench
