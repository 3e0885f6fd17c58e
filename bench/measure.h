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
    std::vector<double> startupSamplesMs;
    MemoryFigures memory;
    std::vector<std::string> checks;
    std::vector<std::string> problems;
};

// Runs every measurement against one viewer, started afresh; the viewer is closed again on return.
ViewerResults MeasureViewer(const ViewerSetup& setup);

// The best figure of each kind over several rounds, which is the least disturbed by whatever else the machine
// was doing; for start-up, the lowest of the rounds' medians. Problems and checks of every round are kept.
ViewerResults Best(const std::vector<ViewerResults>& rounds);

} // namespace bench
