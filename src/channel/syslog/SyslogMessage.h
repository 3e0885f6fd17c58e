#pragma once

#include <string_view>

enum class TSyslogFormat {
    // Neither header was found: the whole message is its text.
    None,
    Rfc5424,
    Rfc3164
};

// One syslog message taken apart. The fields are views into the bytes it was
// parsed from, valid as long as those are. A field the message did not have
// (or had as RFC 5424's "-") is empty; Host, App, ProcId and MsgId are
// printable ASCII (33 to 126) whenever they are not.
struct TSyslogMessage {
    TSyslogFormat Format = TSyslogFormat::None;
    // 0 to 191 (facility * 8 + severity); -1 where the message had none.
    int Priority = -1;
    std::string_view Timestamp;
    std::string_view Host;
    std::string_view App;
    std::string_view ProcId;
    std::string_view MsgId;
    // As sent, without RFC 5424's byte order mark: it may still hold line
    // breaks, zero bytes and bytes that are not UTF-8.
    std::string_view Text;
};

// Parses the bytes of one message: a UDP datagram or one TCP frame.
TSyslogMessage ParseSyslogMessage(std::string_view bytes);
