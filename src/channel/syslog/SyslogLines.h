#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "channel/syslog/SyslogMessage.h"
#include "common/ReceivedLine.h"

// Appends bytes as valid UTF-8 without a zero byte: each zero byte and each
// invalid sequence becomes U+FFFD.
void AppendSafeUtf8(std::string& out, std::string_view bytes);

// Appends the lines of a message's text, each behind prefix and safe for the
// pane: valid UTF-8, no zero byte, no CR or LF. A line ends at CR LF, a lone
// CR or a lone LF; one line break at the end makes no empty line after it,
// empty lines inside stay, and a message without text is one empty line.
// Zero bytes at the end of the text (a C string's end) are dropped.
void AppendSyslogLines(std::string_view prefix, std::string_view text, std::vector<std::string>& lines);

// The origin of the lines of a message that came from address.
TLineOrigin SyslogLineOrigin(const TSyslogMessage& message, std::string_view address);

// What goes before each line in the pane: "[host app pid] " with each field
// the message did not have left out; nothing at all when it had none.
std::string SyslogPanePrefix(const TLineOrigin& origin);

// The origin as the history shows it: "host app pid address", "-" for each
// one missing.
std::string SyslogHistoryOrigin(const TLineOrigin& origin);
