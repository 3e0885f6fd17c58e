#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "channel/WindowsOutput.h"
#include "common/ReceivedLine.h"

// Makes lines out of the messages of Windows' debug output channel, each
// with its process as its origin. Programs print a line in one message,
// several in one, or one in several pieces, so each process's messages are
// one stream of text: a line ends at CR LF, a lone CR or a lone LF, and text
// after a message's last line break waits for that process's next message.
// Text that waits longer than PartialLineWait is a line of its own. A line
// was received when its first piece was.
class TWindowsOutputLines {
  public:
    static constexpr unsigned PartialLineWait = 1000;
    // A process that never ends a line must not make the viewer hold ever
    // more text: a waiting line this long goes out at once.
    static constexpr std::size_t LongestWaitingLine = 4096;

    // Appends the lines the message completes, after the waiting text that
    // is overdue by the message's time.
    void Add(const TCapturedMessage& message, std::vector<TReceivedLine>& lines);
    // Appends the waiting text that is overdue at now (the time of the
    // channel's reader), oldest first.
    void TakeOverdue(unsigned now, std::vector<TReceivedLine>& lines);
    // Appends all waiting text: nothing more will come.
    void TakeAll(std::vector<TReceivedLine>& lines);
    // What the process sent so far is not to be joined with what it sends
    // next: a message of it was left out.
    void Forget(std::uint32_t processId);

  private:
    struct TWaiting {
        std::uint32_t ProcessId = 0;
        std::string Text;
        unsigned Since = 0;
        TLineTime Received;
        // The last message ended with CR: an LF starting the next one is the
        // rest of that line break, not an empty line.
        bool AfterCr = false;
    };

    // In the order of their processes' last messages.
    std::vector<TWaiting> FWaiting;
};

// "[4711] ", what the pane shows in front of a process's line.
std::string WindowsOutputPrefix(std::uint32_t processId);
