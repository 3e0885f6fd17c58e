#include "shell/network/SyslogNetwork.h"

#include "channel/syslog/SyslogFormat.h"
#include "dravik/protocol.h"
#include "shell/SettingsStore.h"

namespace {

bool SameForward(const TSyslogForward& a, const TSyslogForward& b) {
    return a.Host == b.Host && a.Port == b.Port && a.Transport == b.Transport;
}

// "1 syslog message was", "2 syslog messages were".
std::string Counted(std::uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + (count == 1 ? one : many);
}

std::string Notice(const std::string& text) {
    return "***** " + text + " *****";
}

} // namespace

TSyslogNetwork::TSyslogNetwork(const TNetworkServices& services, TSettingsStore& settings,
                               TLineDistributor& lines, const IClock& clock)
    : FReceiver(services.Receiver), FForwarder(services.Forwarder), FDialog(services.Dialog),
      FStore(settings), FLines(lines), FClock(clock) {}

void TSyslogNetwork::PrintOwnLine(const std::string& text) {
    FLines.Hand(OwnLine(text, FClock));
}

// A value that is no setting, or a port that cannot be listened on, leaves
// that half off for this run without changing what is stored: the next
// start tries again, and the dialog shows the rest as it is.
void TSyslogNetwork::ReadSettings() {
    // Forwarding first: a port that cannot be had is then told the collector too.
    std::string error;
    TSyslogForward forward;
    const std::string forwardText = FStore.ReadRegString(DRAVIK_VALUE_SYSLOG_FORWARD, "");
    if (!ParseSyslogForward(forwardText, forward, error)) {
        PrintOwnLine(Notice("The setting " DRAVIK_VALUE_SYSLOG_FORWARD " is ignored: " + error));
    } else if (!forward.Host.empty()) {
        FForwarder.StartForwarding(forward);
        FSettings.Forward = forward;
    }

    std::uint16_t port = 0;
    const std::string portText = FStore.ReadRegString(DRAVIK_VALUE_SYSLOG_RECEIVE_PORT, "");
    if (!ParseSyslogReceivePort(portText, port, error))
        PrintOwnLine(Notice("The setting " DRAVIK_VALUE_SYSLOG_RECEIVE_PORT " is ignored: " + error));
    else if (port != 0 && !FReceiver.Listen(port, error))
        PrintOwnLine(Notice(error));
    else
        FSettings.ReceivePort = port;
}

void TSyslogNetwork::ShowDialog() {
    FDialog.ShowNetworkDialog(FSettings, *this);
}

// The port is taken first: where it cannot be, nothing has changed yet and
// the dialog stays open. A new collector gets the lines from now on; what
// was queued for the old one still goes there.
bool TSyslogNetwork::ApplyNetwork(const TNetworkSettings& settings, std::string& error) {
    if (settings.ReceivePort != FSettings.ReceivePort) {
        if (settings.ReceivePort == 0)
            FReceiver.StopListening();
        else if (!FReceiver.Listen(settings.ReceivePort, error))
            return false;
        FSettings.ReceivePort = settings.ReceivePort;
    }
    if (!SameForward(settings.Forward, FSettings.Forward)) {
        if (!FSettings.Forward.Host.empty())
            FForwarder.StopForwarding();
        if (!settings.Forward.Host.empty())
            FForwarder.StartForwarding(settings.Forward);
        FSettings.Forward = settings.Forward;
    }
    FStore.WriteRegString(DRAVIK_VALUE_SYSLOG_RECEIVE_PORT, FormatSyslogReceivePort(FSettings.ReceivePort));
    FStore.WriteRegString(DRAVIK_VALUE_SYSLOG_FORWARD, FSettings.Forward.Host.empty()
                                                           ? std::string()
                                                           : FormatSyslogForward(FSettings.Forward));
    return true;
}

void TSyslogNetwork::LinesArrived(bool debugOutput) {
    HandArrived(debugOutput);
}

bool TSyslogNetwork::HandArrived(bool debugOutput) {
    FArrived.clear();
    const TSyslogReceiverCounts counts = FReceiver.Collect(FArrived);
    if (debugOutput)
        for (const TReceivedLine& line : FArrived)
            FLines.Hand(line);
    const bool any = !FArrived.empty();
    FArrived.clear();
    SayCounts(counts);
    return any;
}

void TSyslogNetwork::SayCounts(const TSyslogReceiverCounts& counts) {
    if (counts.CutFrames > 0)
        PrintOwnLine(Notice(Counted(counts.CutFrames, " syslog message was", " syslog messages were") +
                            " cut at 64 KiB or at the end of a connection"));
    if (counts.RefusedConnections > 0)
        PrintOwnLine(
            Notice(Counted(counts.RefusedConnections, " syslog connection was", " syslog connections were") +
                   " refused: 64 were open"));
    if (counts.DroppedMessages > 0)
        PrintOwnLine(Notice(Counted(counts.DroppedMessages, " syslog message was", " syslog messages were") +
                            " dropped: the viewer could not keep up"));
}

void TSyslogNetwork::NoticesArrived() {
    std::vector<std::string> notices;
    FForwarder.TakeNotices(notices);
    for (const std::string& notice : notices)
        PrintOwnLine(notice);
}

void TSyslogNetwork::StopReceiving(bool debugOutput) {
    if (FSettings.ReceivePort == 0)
        return;
    FReceiver.StopListening();
    // The reader has ended: every slice that is left is handed on.
    while (HandArrived(debugOutput)) {
    }
}

void TSyslogNetwork::ResumeReceiving() {
    std::string error;
    if (FSettings.ReceivePort != 0 && !FReceiver.Listen(FSettings.ReceivePort, error))
        PrintOwnLine(Notice(error));
}

void TSyslogNetwork::Close() {
    FForwarder.Close();
}

void TSyslogNetwork::Take(const TReceivedLine& line) {
    if (!FSettings.Forward.Host.empty() && IsForwardedSource(line.Origin.Source))
        FForwarder.Forward(line);
}
