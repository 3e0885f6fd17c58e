#pragma once

#include "platform/Win32Handles.h"

#include <windows.h>

#include <string>

namespace bench {

// The names under which a viewer offers its channel.
struct ChannelNames {
    const char* windowClass;
    const char* title;
    const char* region;
    const char* mutex;
};

// Dravik's own names; the null viewer offers its channel under names of its own, so that both can run at
// once and the clients take turns between them.
extern const ChannelNames kDravikNames;
extern const ChannelNames kNullViewerNames;

// A lean client of the viewer's channel: it opens the window, the region and the clients' mutex once and
// keeps them, so that a print costs only what every client must pay per line (mutex, region, send). Send
// leaves out the mutex too: what the channel itself costs.
class ChannelClient {
  public:
    bool Open(const ChannelNames& names);
    // One print as clients make it; sendSeconds receives the time the sending call alone took.
    bool Print(const std::string& text, double& sendSeconds);
    bool Print(const std::string& text);
    // The bare channel: the text into the region and the print message sent, without the clients' mutex.
    bool Send(const std::string& text);
    // What the region holds: after all clients are done, the last line sent by any of them.
    std::string RegionText() const;

  private:
    HWND window_ = nullptr;
    TKernelHandle mapping_;
    TMappedView view_;
    std::size_t size_ = 0;
    TKernelHandle mutex_;
};

// A benchmark line of exactly 80 characters, different for every client and number.
std::string MakeLine(int client, long number);

} // namespace bench
