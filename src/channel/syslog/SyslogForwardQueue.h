#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

// The messages waiting to be forwarded and when the sender may try again.
// Not thread-safe: the threads that forward lines and the sender thread
// share it under one lock, and the sender sends outside that lock. Times
// are milliseconds of any steady clock.
class TSyslogForwardQueue {
  public:
    static constexpr std::size_t Capacity = 8 * 1024 * 1024;
    static constexpr std::uint64_t FirstRetryDelay = 1000;
    static constexpr std::uint64_t LongestRetryDelay = 30000;
    static constexpr std::uint64_t CloseTime = 2000;

    // destination: "host:port", as the drop notice names it.
    explicit TSyslogForwardQueue(std::string destination);

    // Queues a formatted message; false when it does not fit, which is
    // counted for the drop notice.
    bool Push(std::string message);

    bool Empty() const { return FMessages.empty(); }
    std::size_t Bytes() const { return FBytes; }
    std::uint64_t Dropped() const { return FDropped; }

    // Copies the oldest messages into batch, one after the other, as many
    // as maxBytes holds but at least one, and returns how many: they stay
    // queued until Sent, so a send that fails loses none.
    std::size_t Peek(std::string& batch, std::size_t maxBytes) const;
    // A connection or a send went through: the count oldest messages went
    // out (none for a connection).
    void Sent(std::size_t count);

    // A connection or a send failed at now: the next try waits.
    void Failed(std::uint64_t now);
    // When the sender may connect again.
    std::uint64_t RetryAt() const { return FRetryAt; }

    // "***** N lines were not forwarded to host:port *****" (one line: "1
    // line was"), once messages go out again after a failure or the queue
    // has drained to half; "" when none is due. Starts a new count.
    std::string TakeDropNotice();

    // The viewer closes at now: what is queued has CloseTime to go out.
    void Close(std::uint64_t now);
    bool Closing() const { return FClosing; }
    std::uint64_t CloseDeadline() const { return FCloseDeadline; }
    // Closing, and the queue is empty or its time is up: the sender ends.
    bool Finished(std::uint64_t now) const;

  private:
    std::string FDestination;
    std::deque<std::string> FMessages;
    std::size_t FBytes = 0;
    std::uint64_t FDropped = 0;
    // Sends have gone through since the last failure; the first of them
    // makes the drop notice due at once.
    bool FWorking = false;
    bool FBackAgain = false;
    std::uint64_t FRetryDelay = FirstRetryDelay;
    std::uint64_t FRetryAt = 0;
    bool FClosing = false;
    std::uint64_t FCloseDeadline = 0;
};
