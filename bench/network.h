#pragma once

#include "measure.h"
#include "report.h"

#include <string>
#include <vector>

namespace bench {

// Syslog with real peers on the Unix side: util-linux logger sending to Dravik over TCP and UDP (every
// message looked for in Dravik's history), client prints forwarded to rsyslogd over TCP (every line looked
// for in its file), and one and four clients with forwarding on against the null viewer.
struct NetworkResults {
    long tcpSent = 0;
    // In the history in the order sent: counted from the first message on, up to the first one missing or
    // out of place.
    long tcpInOrder = 0;
    double tcpSeconds = 0;
    // Whether Dravik kept a history to count in; without one, the last messages over TCP that the pane ends
    // with, in order.
    bool historyFound = false;
    long paneTail = 0;
    long udpSent = 0;
    long udpKept = 0;
    double udpSeconds = 0;
    long forwardSent = 0;
    // In rsyslogd's file in order, each with the right fields.
    long forwardRight = 0;
    double printSeconds = 0;
    double forwardSeconds = 0;
    RunResults clients;
    bool clientsMeasured = false;
    std::vector<std::string> problems;
};

NetworkResults MeasureNetwork(const ViewerSetup& dravik, const ViewerSetup& null, int rounds);

std::vector<Row> NetworkRows(const NetworkResults& results);
std::vector<Row> ForwardingClientRows(const NetworkResults& results);
// The rates and the problems, as Markdown list items.
std::string NetworkNotes(const NetworkResults& results);

} // namespace bench
