#pragma once

#include "platform/Win32Sockets.h"

#include <memory>
#include <string>
#include <vector>

#include "shell/network/SyslogPorts.h"

class TSyslogSender;
struct TSyslogNotices;

// Forwards lines to a syslog collector over UDP or TCP. The window's thread
// only formats a line and queues it; a thread of its own resolves the
// collector's name, connects, sends, and after a failure tries again later.
// What the sender has to say in the pane it hands over with one posted
// message. A collector that is switched off or changed keeps its thread
// until its queue has drained or its time is up; none ever holds up the
// window.
class TWin32SyslogForwarder : public ISyslogForwarder {
  public:
    // What the window receives when notices wait.
    static constexpr UINT NoticeMessage = WM_APP + 27;

    TWin32SyslogForwarder();
    ~TWin32SyslogForwarder() override;
    TWin32SyslogForwarder(const TWin32SyslogForwarder&) = delete;
    TWin32SyslogForwarder& operator=(const TWin32SyslogForwarder&) = delete;

    void SetWindow(HWND window);

    void StartForwarding(const TSyslogForward& to) override;
    void StopForwarding() override;
    void Forward(const TReceivedLine& line) override;
    void TakeNotices(std::vector<std::string>& notices) override;
    void Close() override;

  private:
    void DropFinishedSenders();

    std::string FMachineName;
    std::shared_ptr<TSyslogNotices> FNotices;
    std::shared_ptr<TSyslogSender> FSender;
    // Senders that were stopped and may still be draining their queues.
    std::vector<std::shared_ptr<TSyslogSender>> FLeaving;
};
