#include "channel/syslog/SyslogFraming.h"

#include <algorithm>

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsTrailer(char c) {
    return c == '\n' || c == '\0';
}
} // namespace

void TSyslogFramer::Feed(std::string_view chunk) {
    // Bytes already given out go only now, so the frames stay valid until here.
    if (FStart > 0) {
        FBuffer.erase(0, FStart);
        FStart = 0;
    }
    // The rest of a cut frame is dropped without being kept first.
    if (FBuffer.empty())
        chunk.remove_prefix(Skip(chunk));
    FBuffer.append(chunk.data(), chunk.size());
}

bool TSyslogFramer::Next(std::string_view& frame) {
    for (;;) {
        FStart += Skip(std::string_view(FBuffer).substr(FStart));
        if (FSkip != TSkip::None || FStart == FBuffer.size())
            return false;
        bool waiting = false;
        const std::size_t digits = CountDigits(waiting);
        if (waiting)
            return false;
        const TStep step = digits > 0 ? NextCounted(digits, frame) : NextLineEnded(frame);
        if (step != TStep::Again)
            return step == TStep::Frame;
    }
}

bool TSyslogFramer::Unfinished(std::string_view& frame) {
    // A cut frame was counted when it was cut.
    const bool cut = FSkip != TSkip::None;
    bool waiting = false;
    const std::size_t digits = cut ? 0 : CountDigits(waiting);
    frame = std::string_view(FBuffer).substr(FStart);
    FStart = FBuffer.size();
    FSearched = 0;
    FSkip = TSkip::None;
    if (cut)
        return false;
    if (digits > 0) {
        // An octet-counted frame whose end never came.
        ++FCutFrames;
        frame.remove_prefix(digits + 1);
        return !frame.empty();
    }
    if (!frame.empty() && frame.back() == '\r')
        frame.remove_suffix(1);
    if (frame.size() > LongestFrame) {
        frame = frame.substr(0, LongestFrame);
        ++FCutFrames;
    }
    return !frame.empty();
}

std::size_t TSyslogFramer::Skip(std::string_view bytes) {
    if (FSkip == TSkip::Counted) {
        const std::size_t skipped =
            static_cast<std::size_t>(std::min<std::uint64_t>(FSkipLeft, bytes.size()));
        FSkipLeft -= skipped;
        if (FSkipLeft == 0)
            FSkip = TSkip::None;
        return skipped;
    }
    if (FSkip == TSkip::ToLineEnd) {
        const auto end = std::find_if(bytes.begin(), bytes.end(), IsTrailer);
        if (end == bytes.end())
            return bytes.size();
        FSkip = TSkip::None;
        return static_cast<std::size_t>(end - bytes.begin()) + 1;
    }
    return 0;
}

std::size_t TSyslogFramer::CountDigits(bool& waiting) const {
    const std::size_t available = FBuffer.size() - FStart;
    if (available == 0 || FBuffer[FStart] < '1' || FBuffer[FStart] > '9')
        return 0;
    std::size_t digits = 0;
    while (digits < available && digits <= LongestCount && IsDigit(FBuffer[FStart + digits]))
        ++digits;
    if (digits > LongestCount)
        return 0;
    if (digits == available) {
        waiting = true;
        return 0;
    }
    return FBuffer[FStart + digits] == ' ' ? digits : 0;
}

TSyslogFramer::TStep TSyslogFramer::NextCounted(std::size_t digits, std::string_view& frame) {
    std::uint64_t length = 0;
    for (std::size_t i = 0; i < digits; ++i)
        length = length * 10 + static_cast<std::uint64_t>(FBuffer[FStart + i] - '0');
    const std::size_t body = FStart + digits + 1;
    const std::size_t delivered = static_cast<std::size_t>(std::min<std::uint64_t>(length, LongestFrame));
    if (FBuffer.size() - body < delivered)
        return TStep::Wait;
    frame = std::string_view(FBuffer).substr(body, delivered);
    FStart = body + delivered;
    if (length > delivered) {
        FSkip = TSkip::Counted;
        FSkipLeft = length - delivered;
        ++FCutFrames;
    }
    return TStep::Frame;
}

TSyslogFramer::TStep TSyslogFramer::NextLineEnded(std::string_view& frame) {
    const std::string_view rest = std::string_view(FBuffer).substr(FStart);
    std::size_t end = FSearched;
    while (end < rest.size() && !IsTrailer(rest[end]))
        ++end;
    if (end == rest.size()) {
        FSearched = end;
        // One byte more than a whole frame: it may be the CR of a CR LF.
        if (rest.size() <= LongestFrame + 1)
            return TStep::Wait;
        frame = rest.substr(0, LongestFrame);
        FStart = FBuffer.size();
        FSearched = 0;
        FSkip = TSkip::ToLineEnd;
        ++FCutFrames;
        return TStep::Frame;
    }
    FStart += end + 1;
    FSearched = 0;
    std::size_t length = end;
    if (length > 0 && rest[length - 1] == '\r')
        --length;
    if (length == 0)
        return TStep::Again;
    if (length > LongestFrame) {
        length = LongestFrame;
        ++FCutFrames;
    }
    frame = rest.substr(0, length);
    return TStep::Frame;
}
