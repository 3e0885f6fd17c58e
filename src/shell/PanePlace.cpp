#include "shell/PanePlace.h"

#include "channel/WindowsOutputLines.h"
#include "channel/syslog/SyslogLines.h"

std::string PanePrefix(const TLineOrigin& origin) {
    switch (origin.Source) {
    case TLineSource::WindowsOutput:
        return WindowsOutputPrefix(origin.ProcessId);
    case TLineSource::Network:
        return SyslogPanePrefix(origin);
    case TLineSource::Client:
    case TLineSource::Viewer:
        break;
    }
    return std::string();
}

void TPanePlace::Take(const TReceivedLine& line) {
    FPane.Print(PanePrefix(line.Origin), line.Text);
}
