#include "channel/syslog/SyslogFormat.h"

#include <cstdio>

#include "channel/syslog/SyslogLines.h"

namespace {

// Printable ASCII, at most maxLength characters, "-" when empty.
std::string HeaderField(std::string_view text, std::size_t maxLength) {
    std::string field;
    bool inRun = false;
    for (char c : text) {
        if (field.size() == maxLength)
            break;
        const bool printable = c >= 33 && c <= 126;
        if (printable || !inRun)
            field += printable ? c : '_';
        inRun = !printable;
    }
    return field.empty() ? "-" : field;
}

bool EndsWithExe(std::string_view name) {
    if (name.size() < 4)
        return false;
    const std::string_view end = name.substr(name.size() - 4);
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i];
        if (c != ".exe"[i])
            return false;
    }
    return true;
}

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace

bool IsForwardedSource(TLineSource source) {
    return source != TLineSource::Network;
}

std::string SyslogTimestamp(const TLineTime& time) {
    const int offset = time.UtcOffsetMinutes < 0 ? -time.UtcOffsetMinutes : time.UtcOffsetMinutes;
    // A second of 60 is a leap second, which the format allows.
    if (!InRange(time.Year, 0, 9999) || !InRange(time.Month, 1, 12) || !InRange(time.Day, 1, 31) ||
        !InRange(time.Hour, 0, 23) || !InRange(time.Minute, 0, 59) || !InRange(time.Second, 0, 60) ||
        !InRange(time.Millisecond, 0, 999) || !InRange(offset, 0, 23 * 60 + 59))
        return "-";
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", time.Year, time.Month,
                  time.Day, time.Hour, time.Minute, time.Second, time.Millisecond,
                  time.UtcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string SyslogHostName(std::string_view machineName) {
    return HeaderField(machineName, 255);
}

std::string SyslogAppName(const TLineOrigin& origin) {
    if (origin.Source != TLineSource::WindowsOutput)
        return "dravik";
    std::string_view name = origin.ProcessName;
    if (EndsWithExe(name))
        name.remove_suffix(4);
    return HeaderField(name, 48);
}

std::string SyslogProcId(const TLineOrigin& origin) {
    return origin.Source == TLineSource::WindowsOutput ? std::to_string(origin.ProcessId) : "-";
}

TSyslogFormatter::TSyslogFormatter(std::string_view machineName, TSyslogTransport transport)
    : FHostName(SyslogHostName(machineName)), FTransport(transport) {}

std::string TSyslogFormatter::Format(const TLineTime& time, const TLineOrigin& origin,
                                     std::string_view utf8Text) const {
    std::string message = "<15>1 " + SyslogTimestamp(time) + " " + FHostName + " " + SyslogAppName(origin) +
                          " " + SyslogProcId(origin) + " - - \xEF\xBB\xBF";
    message.reserve(message.size() + utf8Text.size());
    AppendSafeUtf8(message, utf8Text);
    if (message.size() > LongestMessage) {
        // Cut at the start of a character, never inside one.
        std::size_t end = LongestMessage;
        while ((static_cast<unsigned char>(message[end]) & 0xC0) == 0x80)
            --end;
        message.resize(end);
    }
    if (FTransport == TSyslogTransport::Tcp)
        message.insert(0, std::to_string(message.size()) + " ");
    return message;
}
