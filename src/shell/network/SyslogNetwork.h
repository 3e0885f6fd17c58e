#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/LinePath.h"
#include "shell/network/SyslogPorts.h"

class TSettingsStore;

// Where the network part's lines go, on the window's thread.
class INetworkLineSink {
  public:
    virtual ~INetworkLineSink() = default;
    // A line received from the network, for the one line path.
    virtual void NetworkLine(const TReceivedLine& line) = 0;
    // One of the viewer's own lines ("***** ... *****").
    virtual void ViewerLine(const std::string& text) = 0;
};

// Syslog over the network: receiving from other machines into the line
// path, and forwarding every line but those to a collector. As a place on
// the line path it is the forwarder.
class TSyslogNetwork : public ILinePlace, public INetworkApply {
  public:
    TSyslogNetwork(TSettingsStore& settings, ISyslogReceiver& receiver, ISyslogForwarder& forwarder,
                   INetworkDialog& dialog, INetworkLineSink& sink);

    // At start-up: "SyslogReceivePort" and "SyslogForward" put into effect.
    // What cannot be is said in the pane; the settings stay as they are.
    void ReadSettings();
    // The menu's Network item.
    void ShowDialog();
    // The receiver's lines are waiting.
    void LinesArrived();
    // The forwarder has something to say.
    void NoticesArrived();
    // At the viewer's close: listening stops, the queue gets its last moment.
    void Close();

    // ILinePlace: every line that reaches the pane, forwarded unless it came
    // from the network.
    void Take(const TReceivedLine& line) override;
    // INetworkApply
    bool ApplyNetwork(const TNetworkSettings& settings, std::string& error) override;

    const TNetworkSettings& Settings() const { return FSettings; }

  private:
    void SayCounts(const TSyslogReceiverCounts& counts);

    TSettingsStore& FStore;
    ISyslogReceiver& FReceiver;
    ISyslogForwarder& FForwarder;
    INetworkDialog& FDialog;
    INetworkLineSink& FSink;
    // What is in effect.
    TNetworkSettings FSettings;
    std::vector<TReceivedLine> FArrived;
};
