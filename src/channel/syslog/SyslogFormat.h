#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "channel/syslog/SyslogSettings.h"
#include "common/ReceivedLine.h"

// Lines from the network are never sent on: two viewers forwarding to each
// other would pass every line back and forth for ever.
bool IsForwardedSource(TLineSource source);

// The RFC 5424 fields of a line. A field holds printable ASCII only: each
// run of other bytes becomes one '_', and an empty field is "-".

// "2026-12-10T01:02:03.456+01:00" ("+00:00" at offset 0); "-" for a time
// that cannot be a timestamp.
std::string SyslogTimestamp(const TLineTime& time);
// At most 255 characters.
std::string SyslogHostName(std::string_view machineName);
// "dravik", or the name of the process that wrote Windows' debug output
// without ".exe", at most 48 characters.
std::string SyslogAppName(const TLineOrigin& origin);
// The process id of Windows' debug output, else "-".
std::string SyslogProcId(const TLineOrigin& origin);

// Makes the messages that forward lines from this machine.
class TSyslogFormatter {
  public:
    // The largest UDP datagram over IPv4: a longer line is cut to fit.
    static constexpr std::size_t LongestMessage = 65507;

    TSyslogFormatter(std::string_view machineName, TSyslogTransport transport);

    // "<15>1 TIMESTAMP HOST APP PROCID - - " + BOM + the text as valid UTF-8,
    // as "LEN SP MSG" over TCP.
    std::string Format(const TLineTime& time, const TLineOrigin& origin, std::string_view utf8Text) const;

  private:
    std::string FHostName;
    TSyslogTransport FTransport;
};
