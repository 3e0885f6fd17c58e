#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Takes the syslog messages out of one TCP connection's bytes, whatever
// chunks they arrive in. Each frame is told by its first byte: a digit 1 to 9
// starts an octet-counted frame ("LEN SP MSG"), anything else a frame that
// ends at LF or at a zero byte (a CR before that end is dropped; empty frames
// are skipped). A frame longer than LongestFrame is cut there: its start is
// delivered, the rest dropped, and the cut counted.
class TSyslogFramer {
  public:
    static constexpr std::size_t LongestFrame = 64 * 1024;
    // Longer digit runs are no count but the start of a line-ended frame.
    static constexpr std::size_t LongestCount = 9;

    // Adds bytes received. Frames given out before are no longer valid.
    void Feed(std::string_view chunk);
    // The next whole frame, valid until the next Feed or Unfinished.
    bool Next(std::string_view& frame);
    // At the end of the connection, once Next has nothing more: what arrived
    // of an unfinished frame. An unfinished octet-counted frame is counted as
    // cut; a line-ended frame without its LF is taken as whole, as senders
    // often close without one.
    bool Unfinished(std::string_view& frame);

    // Frames cut at LongestFrame or by the end of the connection.
    std::uint64_t CutFrames() const { return FCutFrames; }

  private:
    enum class TSkip { None, Counted, ToLineEnd };
    enum class TStep { Frame, Wait, Again };

    // How many of the bytes belong to the rest of a cut frame.
    std::size_t Skip(std::string_view bytes);
    // The digits of the count at FStart: 0 when they are no count, or when
    // more bytes must show that (then waiting is set).
    std::size_t CountDigits(bool& waiting) const;
    TStep NextCounted(std::size_t digits, std::string_view& frame);
    TStep NextLineEnded(std::string_view& frame);

    std::string FBuffer;
    // Where the next frame starts in FBuffer.
    std::size_t FStart = 0;
    // How far past FStart a line-ended frame has been searched for its end.
    std::size_t FSearched = 0;
    // The rest of a cut frame, dropped as it arrives.
    TSkip FSkip = TSkip::None;
    std::uint64_t FSkipLeft = 0;
    std::uint64_t FCutFrames = 0;
};
