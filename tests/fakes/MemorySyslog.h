#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "shell/network/SyslogPorts.h"

// The network in memory: ports that are taken, lines that arrived, lines
// that were forwarded.
class TMemorySyslogReceiver : public ISyslogReceiver {
  public:
    bool Listen(std::uint16_t port, std::string& error) override {
        if (Taken.count(port) > 0) {
            error = "Cannot receive syslog on port " + std::to_string(port) + ": in use";
            return false;
        }
        Port = port;
        return true;
    }
    void StopListening() override { Port = 0; }
    TSyslogReceiverCounts Collect(std::vector<TReceivedLine>& lines) override {
        lines.insert(lines.end(), Arrived.begin(), Arrived.end());
        Arrived.clear();
        return std::exchange(Counts, TSyslogReceiverCounts());
    }

    std::set<std::uint16_t> Taken;
    std::uint16_t Port = 0;
    std::vector<TReceivedLine> Arrived;
    TSyslogReceiverCounts Counts;
};

class TMemorySyslogForwarder : public ISyslogForwarder {
  public:
    void StartForwarding(const TSyslogForward& to) override { Destinations.push_back(SyslogDestination(to)); }
    void StopForwarding() override { Destinations.push_back("stopped"); }
    void Forward(const TReceivedLine& line) override { Forwarded.push_back(line.Text); }
    void TakeNotices(std::vector<std::string>& notices) override {
        notices.insert(notices.end(), Notices.begin(), Notices.end());
        Notices.clear();
    }
    void Close() override { Closed = true; }

    // Each start's "host:port" and each stop, in order.
    std::vector<std::string> Destinations;
    std::vector<std::string> Forwarded;
    std::vector<std::string> Notices;
    bool Closed = false;
};

// The dialog as a user fills it in: each OK in turn until one is taken.
class TMemoryNetworkDialog : public INetworkDialog {
  public:
    bool ShowNetworkDialog(const TNetworkSettings& current, INetworkApply& apply) override {
        Shown.push_back(current);
        for (const TNetworkSettings& settings : Oks) {
            std::string error;
            if (apply.ApplyNetwork(settings, error))
                return true;
            Errors.push_back(error);
        }
        return false;
    }
    std::vector<TNetworkSettings> Oks;
    std::vector<TNetworkSettings> Shown;
    std::vector<std::string> Errors;
};
