#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/LinePath.h"
#include "shell/network/SyslogPorts.h"

class IClock;
class TSettingsStore;

// Syslog over the network: receiving from other machines into the line
// path, and forwarding every line but those to a collector. As a place on
// the line path it is the forwarder.
class TSyslogNetwork : public ILinePlace, public INetworkApply {
  public:
    TSyslogNetwork(const TNetworkServices& services, TSettingsStore& settings, TLineDistributor& lines,
                   const IClock& clock);

    // At start-up: "SyslogReceivePort" and "SyslogForward" put into effect.
    // What cannot be is said in the pane; the settings stay as they are.
    void ReadSettings();
    // The menu's Network item.
    void ShowDialog();
    // The receiver's lines are waiting: handed on while Debug Output is on,
    // taken and dropped while it is off.
    void LinesArrived(bool debugOutput);
    // The forwarder has something to say.
    void NoticesArrived();
    // The close sequence: first no more lines come, and those that came are
    // handed on; should the close fail, receiving resumes. At the end the
    // forwarder's queue gets its last moment.
    void StopReceiving(bool debugOutput);
    void ResumeReceiving();
    void Close();

    // ILinePlace: every line that reaches the pane, forwarded unless it came
    // from the network.
    void Take(const TReceivedLine& line) override;
    // INetworkApply
    bool ApplyNetwork(const TNetworkSettings& settings, std::string& error) override;

    const TNetworkSettings& Settings() const { return FSettings; }

  private:
    void PrintOwnLine(const std::string& text);
    // One slice of what the receiver has; false when it had no line.
    bool HandArrived(bool debugOutput);
    void SayCounts(const TSyslogReceiverCounts& counts);

    ISyslogReceiver& FReceiver;
    ISyslogForwarder& FForwarder;
    INetworkDialog& FDialog;
    TSettingsStore& FStore;
    TLineDistributor& FLines;
    const IClock& FClock;
    // What is in effect.
    TNetworkSettings FSettings;
    std::vector<TReceivedLine> FArrived;
};
