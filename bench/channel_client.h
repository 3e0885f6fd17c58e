#pragma once

#include "platform/Win32Handles.h"

#include <windows.h>

#include <string>

namespace bench {

// A lean client of the viewer's channel: it opens the window, the region and the clients' mutex once and
// keeps them, so that a print costs only what every client must pay per line (mutex, region, send).
class ChannelClient {
  public:
    bool Open();
    // One print as clients make it; sendSeconds receives the time the sending call alone took.
    bool Print(const std::string& text, double& sendSeconds);
    bool Print(const std::string& text);
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
