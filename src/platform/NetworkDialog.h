#pragma once

#include <windows.h>

#include "shell/network/SyslogPorts.h"

// The Network dialog: receiving syslog on a port, forwarding every line to a
// collector. A host name is resolved on a thread of its own, so that the
// window goes on taking lines meanwhile.
class TWin32NetworkDialog : public INetworkDialog {
  public:
    // What the resolver's thread posts to the dialog.
    static constexpr UINT ResolvedMessage = WM_APP + 1;

    void SetOwner(HWND owner) { FOwner = owner; }
    bool ShowNetworkDialog(const TNetworkSettings& current, INetworkApply& apply) override;

  private:
    HWND FOwner = nullptr;
};
