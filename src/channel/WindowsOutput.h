#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/ReceivedLine.h"

// One message of Windows' own debug output channel (what OutputDebugString
// writes to), as its reader copied it: the sending process, the text, the
// reader's clock in milliseconds when it arrived, and the local time then.
struct TCapturedMessage {
    std::uint32_t ProcessId = 0;
    std::string Text;
    unsigned Time = 0;
    TLineTime Received;
};

enum class TCaptureStart { Started, OtherReader, Failed };

// The channel of Windows' own debug output. A thread of its own reads it and
// hands the messages over to the window's thread, which collects them.
class IWindowsOutput {
  public:
    virtual ~IWindowsOutput() = default;
    // Takes the channel. OtherReader when another program reads it already:
    // the channel is then left to that program untouched.
    virtual TCaptureStart StartCapture() = 0;
    // Releases the channel at once, so that another reader can take it. The
    // messages read until then wait to be collected.
    virtual void StopCapture() = 0;
    // Appends the messages read since the last call, in the order they came,
    // and returns how many were dropped meanwhile because the hand-over was full.
    virtual std::size_t CollectMessages(std::vector<TCapturedMessage>& messages) = 0;
};
