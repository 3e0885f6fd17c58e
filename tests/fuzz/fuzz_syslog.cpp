// What a syslog sender may put on a TCP connection, in whatever chunks the
// network hands it over: the framer against a reference that sees the whole
// stream at once, then every frame parsed, made into pane lines, forwarded
// and parsed back. The input may add a long frame (counted or not) that a
// few bytes describe, so the 64 KiB cut is reached.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "channel/syslog/SyslogFormat.h"
#include "channel/syslog/SyslogFraming.h"
#include "channel/syslog/SyslogLines.h"
#include "channel/syslog/SyslogMessage.h"
#include "channel/syslog/SyslogSettings.h"

// The largest single allocation while the framer runs: it must follow the
// bytes received, never a length a frame announces. AddressSanitizer tells
// of every allocation; without it the check is left out.
#if defined(__SANITIZE_ADDRESS__)
#define DRAVIK_COUNTS_ALLOCATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DRAVIK_COUNTS_ALLOCATIONS 1
#endif
#endif

namespace {
thread_local bool CountingAllocations = false;
thread_local std::size_t LargestAllocation = 0;
} // namespace

#ifdef DRAVIK_COUNTS_ALLOCATIONS
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, std::size_t),
                                                         void (*onFree)(const volatile void*));

namespace {
void OnMalloc(const volatile void*, std::size_t size) {
    if (CountingAllocations)
        LargestAllocation = std::max(LargestAllocation, size);
}
void OnFree(const volatile void*) {}
const bool HooksInstalled = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
} // namespace
#endif

namespace {

const std::size_t Longest = TSyslogFramer::LongestFrame;

struct TFrames {
    std::vector<std::string> Frames;
    std::uint64_t Cut = 0;
};

void AddLineEnded(std::string_view content, TFrames& out) {
    if (!content.empty() && content.back() == '\r')
        content.remove_suffix(1);
    if (content.size() > Longest) {
        content = content.substr(0, Longest);
        ++out.Cut;
    }
    if (!content.empty())
        out.Frames.emplace_back(content);
}

// The framing rules over the whole stream at once.
TFrames ReferenceFrames(std::string_view s) {
    TFrames out;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t digits = 0;
        while (pos + digits < s.size() && digits < 10 && s[pos + digits] >= '0' && s[pos + digits] <= '9')
            ++digits;
        const bool count = s[pos] >= '1' && s[pos] <= '9' && digits <= TSyslogFramer::LongestCount;
        if (count && pos + digits < s.size() && s[pos + digits] == ' ') {
            const std::uint64_t length =
                std::strtoull(std::string(s.substr(pos, digits)).c_str(), nullptr, 10);
            const std::size_t body = pos + digits + 1;
            const std::size_t arrived = s.size() - body;
            const std::string_view frame =
                s.substr(body, static_cast<std::size_t>(
                                   std::min<std::uint64_t>(length, std::min<std::size_t>(arrived, Longest))));
            if (!frame.empty())
                out.Frames.emplace_back(frame);
            if (length > Longest || arrived < length)
                ++out.Cut;
            if (arrived <= length)
                break;
            pos = body + static_cast<std::size_t>(length);
            continue;
        }
        const std::size_t end = s.find_first_of(std::string_view("\n\0", 2), pos);
        AddLineEnded(s.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos), out);
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
    return out;
}

// Only the framer's own allocations are counted.
template <class TCall> bool Counted(TCall call) {
    CountingAllocations = true;
    const bool result = call();
    CountingAllocations = false;
    return result;
}

TFrames StreamFrames(const std::vector<std::string_view>& chunks) {
    TFrames out;
    TSyslogFramer framer;
    std::string_view frame;
    for (std::string_view chunk : chunks) {
        Counted([&] {
            framer.Feed(chunk);
            return true;
        });
        while (Counted([&] { return framer.Next(frame); }))
            out.Frames.emplace_back(frame);
    }
    if (Counted([&] { return framer.Unfinished(frame); }))
        out.Frames.emplace_back(frame);
    out.Cut = framer.CutFrames();
    return out;
}

// Decodes code points and checks them: no overlong form, no surrogate,
// nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80       ? 1
                                   : lead >> 5 == 6  ? 2
                                   : lead >> 4 == 14 ? 3
                                   : lead >> 3 == 30 ? 4
                                                     : 0;
        if (length == 0 || i + length > text.size())
            return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            code = code << 6 | (c & 0x3F);
        }
        static const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool IsPrintableField(std::string_view field) {
    return std::all_of(field.begin(), field.end(), [](char c) { return c >= 33 && c <= 126; });
}

// The text as lines: trailing zero bytes gone, every break one LF, one break
// at the end dropped.
std::vector<std::string> ReferenceLines(std::string_view text) {
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    if (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}

// Forwarded and received again, a line keeps its text.
void CheckForwarded(const TLineOrigin& origin, const std::string& line) {
    const TSyslogFormatter formatter("fuzz", TSyslogTransport::Udp);
    const std::string sent = formatter.Format(TLineTime(), origin, line);
    const TSyslogMessage back = ParseSyslogMessage(sent);
    if (back.Format != TSyslogFormat::Rfc5424)
        Check(false, "a forwarded line parses as RFC 5424", Hex(sent));
    if (sent.size() <= TSyslogFormatter::LongestMessage - 4 && back.Text != line)
        Check(false, "a forwarded line reads back as itself", Hex(line));
}

// The details of a failure are put together only when there is one: a frame
// may have 65536 lines. Forwarding is tried with the last line of the first
// frames only, so streams of many frames keep the fuzzer fast.
void CheckMessage(std::string_view frame, bool forward) {
    const TSyslogMessage message = ParseSyslogMessage(frame);
    for (std::string_view field : {message.Host, message.App, message.ProcId, message.MsgId})
        if (!IsPrintableField(field))
            Check(false, "a field is printable ASCII", Hex(std::string(frame)));
    Check(message.Format != TSyslogFormat::None || message.Text == frame,
          "a message of neither format is whole");

    const TLineOrigin origin = SyslogLineOrigin(message, "[::1]:5514");
    const std::string prefix = SyslogPanePrefix(origin);
    std::vector<std::string> lines;
    AppendSyslogLines(prefix, message.Text, lines);
    const std::vector<std::string> reference = ReferenceLines(message.Text);
    if (lines.size() != reference.size())
        Check(false, "one line per line break", Hex(std::string(frame)));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.compare(0, prefix.size(), prefix) != 0)
            Check(false, "every line has the prefix", Hex(line));
        if (line.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
            Check(false, "no zero byte, CR or LF", Hex(line));
        if (!IsValidUtf8(line))
            Check(false, "every line is valid UTF-8", Hex(line));
        // Text that was fine to begin with is left as it was.
        if (IsValidUtf8(reference[i]) && reference[i].find('\0') == std::string::npos &&
            line.compare(prefix.size(), std::string::npos, reference[i]) != 0)
            Check(false, "valid text is unchanged", Hex(reference[i]));
    }
    if (forward)
        CheckForwarded(origin, lines.back());
}

// Settings values are bytes from the registry: accepted ones must format back
// to what parses the same.
void CheckSettings(std::string_view text) {
    TSyslogForward forward;
    std::string error;
    if (ParseSyslogForward(text, forward, error)) {
        TSyslogForward again;
        Check(ParseSyslogForward(FormatSyslogForward(forward), again, error) && again.Host == forward.Host &&
                  again.Port == forward.Port && again.Transport == forward.Transport,
              "a forwarding setting formats back", Hex(std::string(text)));
    }
    std::uint16_t port = 0;
    if (ParseSyslogReceivePort(text, port, error)) {
        const std::size_t digits = text.find_first_not_of('0');
        Check(FormatSyslogReceivePort(port) == (text.empty() ? text : text.substr(digits)),
              "a port formats back without its leading zeros", Hex(std::string(text)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::uint8_t mode = input.Byte();
    std::string longFrame;
    // A chunk may end within a few bytes of the long frame's end, where the
    // 64 KiB limit meets a CR that waits for its LF.
    int nearEnd = 0;
    if (mode & 1) {
        const std::size_t length = static_cast<std::size_t>(input.Word()) * 2 + (mode >> 1 & 1);
        const std::string pattern = input.Bytes(input.Byte() % 8 + 1);
        longFrame.resize(pattern.empty() ? 0 : length);
        for (std::size_t i = 0; i < longFrame.size(); ++i)
            longFrame[i] = pattern[i % pattern.size()];
        if (mode & 4)
            longFrame = std::to_string(longFrame.size()) + " " + longFrame;
        nearEnd = input.Byte() % 9 - 4;
    }
    std::vector<std::size_t> cuts(input.Byte() % 8);
    for (std::size_t& cut : cuts)
        cut = input.Word();
    std::string stream = input.Rest();
    CheckSettings(stream);
    const std::size_t longAt = cuts.empty() ? 0 : cuts[0] % (stream.size() + 1);
    stream.insert(longAt, longFrame);

    // The chunks end at the chosen places, in order.
    for (std::size_t& cut : cuts)
        cut = cut * 7 % (stream.size() + 1);
    if (!longFrame.empty())
        cuts.push_back(std::min<std::size_t>(longAt + longFrame.size() + nearEnd, stream.size()));
    std::sort(cuts.begin(), cuts.end());
    std::vector<std::string_view> chunks;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        chunks.push_back(std::string_view(stream).substr(from, cut - from));
        from = cut;
    }
    chunks.push_back(std::string_view(stream).substr(from));

    LargestAllocation = 0;
    const TFrames got = StreamFrames(chunks);
#ifdef DRAVIK_COUNTS_ALLOCATIONS
    Check(HooksInstalled, "the allocation hooks are in place");
    Check(LargestAllocation <= 2 * stream.size() + 64, "the framer holds no more than it received",
          std::to_string(LargestAllocation) + " bytes for a stream of " + std::to_string(stream.size()));
#endif
    const TFrames expected = ReferenceFrames(stream);
    Check(got.Frames == expected.Frames, "the frames match the reference",
          std::to_string(got.Frames.size()) + " frames, expected " + std::to_string(expected.Frames.size()));
    Check(got.Cut == expected.Cut, "the cut frames are counted",
          std::to_string(got.Cut) + ", expected " + std::to_string(expected.Cut));
    for (std::size_t i = 0; i < got.Frames.size(); ++i) {
        Check(!got.Frames[i].empty() && got.Frames[i].size() <= Longest, "a frame holds 1 byte to 64 KiB");
        CheckMessage(got.Frames[i], i < 16);
    }
    return 0;
}
