#pragma once

#include "viewer_process.h"

#include <string>
#include <vector>

namespace bench {

struct ViewerSetup {
    std::string name;
    std::string exe;
    std::string arguments;
    // The real viewer runs from a fresh folder of its own, where its log file lies, and has a pane to check.
    bool isDravik = false;
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
    std::vector<std::string> checks;
    std::vector<std::string> problems;
};

// Runs every measurement against one viewer, started afresh; the viewer is closed again on return.
ViewerResults MeasureViewer(const ViewerSetup& setup);

// Each figure as the median of the rounds: a busy moment of the machine slows one round, a lucky placement of
// the processes on the processors speeds one up, and neither moves the median of five. Problems and checks of
// every round are kept.
ViewerResults Typical(const std::vector<ViewerResults>& rounds);

} // namespace bench
