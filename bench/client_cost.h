#pragma once

#include "report.h"

#include <string>
#include <vector>

namespace bench {

// What a client program pays per line beyond the channel itself, both measured against Dravik.exe.
struct ClientCostResults {
    // Medians of the rounds.
    double headerUsPerPrint = 0;
    double bareUsPerPrint = 0;
    double mutexedUsPerPrint = 0;
    double sendLinesPerSecond = 0;
    double bareLinesPerSecond = 0;
    // Client / bare channel within each pair of rounds.
    std::vector<double> printRatios;
    std::vector<double> mutexedRatios;
    std::vector<double> sendRatios;
    // Rounds after which the pane, read at once, ended with the last line sent.
    int panesChecked = 0;
    std::vector<std::string> problems;
};

// Starts a fresh copy of Dravik.exe and measures, in rounds that alternate with the bare channel to the same
// viewer (the region written and the print message sent, nothing else): the cost per print through
// include/dravik/client.h and through the bare channel with the clients' mutex, and the lines per second of
// `dravik-send -` (sendExe) from standard input.
ClientCostResults MeasureClientCost(const std::string& dravikExe, const std::string& sendExe);

std::vector<Row> ClientRows(const ClientCostResults& results);

} // namespace bench
