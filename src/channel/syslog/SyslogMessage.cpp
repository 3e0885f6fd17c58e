#include "channel/syslog/SyslogMessage.h"

#include <cstddef>

// One pass over the bytes, left to right, without copying: every field is a
// view. A message that starts like RFC 5424 ("<PRI>1 ") but breaks its
// grammar anywhere is kept whole, so the reader sees exactly what was sent.
// RFC 3164 is taken the lenient way collectors take it: after the PRI, the
// timestamp, the hostname and the tag are each used when they are there.

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsPrintable(char c) {
    return c >= 33 && c <= 126;
}

class TCursor {
  public:
    explicit TCursor(std::string_view bytes) : FBytes(bytes) {}

    bool AtEnd() const { return FPos >= FBytes.size(); }
    char Peek() const { return AtEnd() ? '\0' : FBytes[FPos]; }
    bool Take(char c) {
        if (AtEnd() || FBytes[FPos] != c)
            return false;
        ++FPos;
        return true;
    }
    // Up to maxCount digits; how many there were.
    std::size_t SkipDigits(std::size_t maxCount) {
        std::size_t count = 0;
        for (; count < maxCount && IsDigit(Peek()); ++count)
            ++FPos;
        return count;
    }
    bool TakeDigits(std::size_t count) { return SkipDigits(count) == count; }
    std::size_t Pos() const { return FPos; }
    void Seek(std::size_t pos) { FPos = pos; }
    std::string_view From(std::size_t start) const { return FBytes.substr(start, FPos - start); }
    std::string_view Rest() const { return FBytes.substr(FPos); }
    void Skip(std::size_t count) { FPos += count; }

    // A run of printable ASCII up to the next space or the end, 1 to
    // maxLength long.
    bool Token(std::size_t maxLength, std::string_view& token) {
        const std::size_t start = FPos;
        while (!AtEnd() && IsPrintable(FBytes[FPos]) && FPos - start <= maxLength)
            ++FPos;
        const std::size_t length = FPos - start;
        if (length == 0 || length > maxLength || (!AtEnd() && FBytes[FPos] != ' ')) {
            FPos = start;
            return false;
        }
        token = FBytes.substr(start, length);
        return true;
    }

  private:
    std::string_view FBytes;
    std::size_t FPos = 0;
};

bool ParsePriority(TCursor& in, int& priority) {
    if (!in.Take('<'))
        return false;
    int value = 0;
    std::size_t digits = 0;
    for (; digits < 3 && IsDigit(in.Peek()); ++digits) {
        value = value * 10 + (in.Peek() - '0');
        in.Skip(1);
    }
    if (digits == 0 || value > 191 || !in.Take('>'))
        return false;
    priority = value;
    return true;
}

// --- RFC 5424 ----------------------------------------------------------------------------------------------

// FULL-DATE "T" FULL-TIME, e.g. 2026-12-10T00:49:30.700439+00:00.
bool IsRfc5424Timestamp(std::string_view text) {
    TCursor in(text);
    if (!(in.TakeDigits(4) && in.Take('-') && in.TakeDigits(2) && in.Take('-') && in.TakeDigits(2) &&
          in.Take('T') && in.TakeDigits(2) && in.Take(':') && in.TakeDigits(2) && in.Take(':') &&
          in.TakeDigits(2)))
        return false;
    if (in.Take('.') && (in.SkipDigits(6) == 0 || IsDigit(in.Peek())))
        return false;
    if (!in.Take('Z') &&
        !((in.Take('+') || in.Take('-')) && in.TakeDigits(2) && in.Take(':') && in.TakeDigits(2)))
        return false;
    return in.AtEnd();
}

// A header field: NILVALUE gives an empty field.
bool HeaderField(TCursor& in, std::size_t maxLength, std::string_view& field) {
    if (!in.Take(' ') || !in.Token(maxLength, field))
        return false;
    if (field == "-")
        field = std::string_view();
    return true;
}

// SD-NAME: 1 to 32 printable characters other than '=', ']' and '"'.
bool SkipSdName(TCursor& in) {
    std::size_t length = 0;
    for (char c = in.Peek(); IsPrintable(c) && c != '=' && c != ']' && c != '"'; c = in.Peek()) {
        if (++length > 32)
            return false;
        in.Skip(1);
    }
    return length > 0;
}

// PARAM-VALUE up to its closing quote: a backslash escapes the byte after it
// ('"', '\' and ']' are the ones that need it).
bool SkipParamValue(TCursor& in) {
    for (;;) {
        if (in.AtEnd())
            return false;
        const char c = in.Peek();
        in.Skip(1);
        if (c == '"')
            return true;
        if (c == '\\') {
            if (in.AtEnd())
                return false;
            in.Skip(1);
        }
    }
}

// "-", or one or more [SD-ID *(SP PARAM-NAME="PARAM-VALUE")].
bool SkipStructuredData(TCursor& in) {
    if (in.Take('-'))
        return true;
    if (in.Peek() != '[')
        return false;
    while (in.Take('[')) {
        if (!SkipSdName(in))
            return false;
        while (in.Take(' '))
            if (!SkipSdName(in) || !in.Take('=') || !in.Take('"') || !SkipParamValue(in))
                return false;
        if (!in.Take(']'))
            return false;
    }
    return true;
}

// After "<PRI>1": the rest of the header, the structured data and the MSG.
bool ParseRfc5424(TCursor& in, TSyslogMessage& message) {
    std::string_view timestamp;
    if (!HeaderField(in, 32, timestamp) || (!timestamp.empty() && !IsRfc5424Timestamp(timestamp)))
        return false;
    if (!HeaderField(in, 255, message.Host) || !HeaderField(in, 48, message.App) ||
        !HeaderField(in, 128, message.ProcId) || !HeaderField(in, 32, message.MsgId) || !in.Take(' ') ||
        !SkipStructuredData(in))
        return false;
    message.Timestamp = timestamp;
    if (in.AtEnd())
        return true;
    if (!in.Take(' '))
        return false;
    std::string_view text = in.Rest();
    static constexpr std::string_view Bom = "\xEF\xBB\xBF";
    if (text.substr(0, Bom.size()) == Bom)
        text.remove_prefix(Bom.size());
    message.Text = text;
    return true;
}

// --- RFC 3164 ----------------------------------------------------------------------------------------------

// "Mmm dd hh:mm:ss", the day padded with a space or a zero.
bool IsRfc3164Timestamp(std::string_view t) {
    static constexpr std::string_view Months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (t.size() != 15)
        return false;
    const std::size_t month = Months.find(t.substr(0, 3));
    const bool day =
        (t[4] == ' ' && t[5] >= '1' && t[5] <= '9') || (t[4] >= '0' && t[4] <= '3' && IsDigit(t[5]));
    return month != std::string_view::npos && month % 3 == 0 && t[3] == ' ' && day && t[6] == ' ' &&
           IsDigit(t[7]) && IsDigit(t[8]) && t[9] == ':' && IsDigit(t[10]) && IsDigit(t[11]) &&
           t[12] == ':' && IsDigit(t[13]) && IsDigit(t[14]);
}

// Up to maxLength printable characters other than the stop characters.
std::size_t SkipTagCharacters(TCursor& in, std::size_t maxLength, std::string_view stops) {
    std::size_t length = 0;
    for (char c = in.Peek(); IsPrintable(c) && stops.find(c) == std::string_view::npos; c = in.Peek()) {
        if (++length > maxLength)
            break;
        in.Skip(1);
    }
    return length;
}

// "TAG: " or "TAG[PID]: ", the colon optional after a PID and the space
// optional after the colon. Where the hostname may be missing, the tag must
// be a word of its own: "fe80::1" is a hostname, not the tag "fe80".
bool TakeTag(TCursor& in, bool wholeWord, std::string_view& app, std::string_view& procId) {
    const std::size_t start = in.Pos();
    const std::size_t tagLength = SkipTagCharacters(in, 32, ":[]");
    const std::string_view tag = in.From(start);
    std::string_view pid;
    bool ok = tagLength > 0 && tagLength <= 32;
    if (ok && in.Take('[')) {
        const std::size_t pidStart = in.Pos();
        const std::size_t pidLength = SkipTagCharacters(in, 128, "[]");
        pid = in.From(pidStart);
        ok = pidLength > 0 && pidLength <= 128 && in.Take(']') &&
             (in.Take(':') || in.AtEnd() || in.Peek() == ' ');
    } else {
        ok = ok && in.Take(':');
    }
    if (ok && wholeWord && !in.AtEnd() && in.Peek() != ' ')
        ok = false;
    if (!ok) {
        in.Seek(start);
        return false;
    }
    in.Take(' ');
    app = tag;
    procId = pid;
    return true;
}

// After "<PRI>": "Mmm dd hh:mm:ss HOSTNAME TAG[PID]: MSG". Without the
// timestamp, everything after the PRI is the MSG; the hostname is left out
// where the tag follows the timestamp directly; without a tag, everything
// after the hostname is the MSG.
void ParseRfc3164(TCursor& in, TSyslogMessage& message) {
    message.Format = TSyslogFormat::Rfc3164;
    const std::string_view rest = in.Rest();
    const std::string_view timestamp = rest.substr(0, 15);
    const std::string_view after = rest.size() > 15 ? rest.substr(15, 1) : std::string_view();
    if (!IsRfc3164Timestamp(timestamp) || (!after.empty() && after != " ")) {
        message.Text = in.Rest();
        return;
    }
    message.Timestamp = timestamp;
    in.Skip(timestamp.size() + after.size());
    if (!TakeTag(in, true, message.App, message.ProcId) && in.Token(255, message.Host)) {
        in.Take(' ');
        TakeTag(in, false, message.App, message.ProcId);
    }
    message.Text = in.Rest();
}

} // namespace

TSyslogMessage ParseSyslogMessage(std::string_view bytes) {
    TSyslogMessage whole;
    whole.Text = bytes;
    TCursor in(bytes);
    int priority = -1;
    if (!ParsePriority(in, priority))
        return whole;
    const std::size_t afterPriority = in.Pos();
    if (in.Take('1') && in.Peek() == ' ') {
        TSyslogMessage message;
        message.Format = TSyslogFormat::Rfc5424;
        message.Priority = priority;
        return ParseRfc5424(in, message) ? message : whole;
    }
    in.Seek(afterPriority);
    TSyslogMessage message;
    message.Priority = priority;
    ParseRfc3164(in, message);
    return message;
}
