#pragma once

#include "platform/Win32Handles.h"

#include <string>
#include <vector>

namespace bench {

// Client processes (copies of this program) that print in blocks. Before each block they wait at its gate;
// then each prints `linesEach` lines to the viewer that the block's letter in `order` names ('D' Dravik,
// 'N' the null viewer), serialised by that viewer's clients' mutex. With the role "--sender" they send
// Windows debug output instead, `extra` giving the lines' width.
class ClientGroup {
  public:
    ClientGroup(int count, long linesEach, const std::string& order, const std::string& role = "--client",
                const std::string& extra = "");
    ClientGroup(const ClientGroup&) = delete;
    ClientGroup& operator=(const ClientGroup&) = delete;
    // Ends clients that are still running.
    ~ClientGroup();

    // Starts the clients and waits until all have opened both channels and wait at the first gate.
    bool Start(std::string& problem);
    // Opens the gate of block `index` and waits until every client has printed its lines.
    bool RunBlock(std::size_t index);
    // Waits for the clients to end; false, with the reason, when one could not print all its lines.
    bool Finish(std::string& problem);

  private:
    int count_;
    long linesEach_;
    std::string order_;
    std::string role_;
    std::string extra_;
    std::string tag_;
    TKernelHandle ready_;
    TKernelHandle done_;
    std::vector<TKernelHandle> gates_;
    std::vector<TKernelHandle> processes_;
};

// The client side: `dravik-bench --client TAG INDEX ORDER LINES`. Returns the process exit code.
int ClientMain(const std::string& tag, int index, const std::string& order, long linesEach);

// The gates of a group, as its members find them.
std::string ReadyName(const std::string& tag);
std::string DoneName(const std::string& tag);
std::string GateName(const std::string& tag, std::size_t block);

} // namespace bench
