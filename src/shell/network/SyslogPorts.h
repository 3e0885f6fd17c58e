#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "channel/syslog/SyslogSettings.h"
#include "common/ReceivedLine.h"

// What the network part reaches the platform through: the syslog receiver
// and the forwarder, each a thread of its own, and the Network dialog.

// What the receiver lost or refused since it was last asked.
struct TSyslogReceiverCounts {
    // Frames cut at 64 KiB, or by a connection that ended inside one.
    std::uint64_t CutFrames = 0;
    // Connections closed at once because 64 were open already.
    std::uint64_t RefusedConnections = 0;
    // Messages dropped because the window had not taken what came before.
    std::uint64_t DroppedMessages = 0;
};

class ISyslogReceiver {
  public:
    virtual ~ISyslogReceiver() = default;
    // Listens on UDP and TCP port of every interface, in place of the port
    // listened on before; false, and still listening as before, with error
    // saying why when the port cannot be had.
    virtual bool Listen(std::uint16_t port, std::string& error) = 0;
    virtual void StopListening() = 0;
    // Appends the lines received since the last call, each connection's in
    // the order it sent them, each line's text without its origin.
    virtual TSyslogReceiverCounts Collect(std::vector<TReceivedLine>& lines) = 0;
};

class ISyslogForwarder {
  public:
    virtual ~ISyslogForwarder() = default;
    // Forwards from now on to the collector; name resolution and connecting
    // happen on the forwarder's thread, and fail there only for a while.
    virtual void StartForwarding(const TSyslogForward& to) = 0;
    // Forwards no more lines; what is queued still has a moment to go out.
    virtual void StopForwarding() = 0;
    // Queues the line to be sent; never waits for the network.
    virtual void Forward(const TReceivedLine& line) = 0;
    // The viewer's own lines the forwarder has to say ("N lines were not
    // forwarded ..."), appended.
    virtual void TakeNotices(std::vector<std::string>& notices) = 0;
    // The viewer closes: the queue gets a bounded time to drain.
    virtual void Close() = 0;
};

struct TNetworkSettings {
    // 0 when the viewer does not receive.
    std::uint16_t ReceivePort = 0;
    // An empty Host when the viewer does not forward.
    TSyslogForward Forward;
};

// What the dialog's OK does before the dialog may close.
class INetworkApply {
  public:
    virtual ~INetworkApply() = default;
    // Puts the settings into effect and keeps them; false with the reason
    // (naming the port) when they cannot be.
    virtual bool ApplyNetwork(const TNetworkSettings& settings, std::string& error) = 0;
};

class INetworkDialog {
  public:
    virtual ~INetworkDialog() = default;
    // Shows the Network dialog modally with current in its boxes. OK checks
    // the boxes (a host that cannot be resolved is said and the dialog
    // stays open), then calls apply until it succeeds or the user cancels.
    // False when the user cancelled.
    virtual bool ShowNetworkDialog(const TNetworkSettings& current, INetworkApply& apply) = 0;
};

// The platform's side of the network, as the viewer's form is given it.
struct TNetworkServices {
    ISyslogReceiver& Receiver;
    ISyslogForwarder& Forwarder;
    INetworkDialog& Dialog;
};
