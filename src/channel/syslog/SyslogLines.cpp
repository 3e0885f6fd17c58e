#include "channel/syslog/SyslogLines.h"

#include <cstddef>

namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

bool InRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

// How many bytes of the valid UTF-8 character at bytes[i] there are, or 0
// with invalid set to the length of the invalid part to replace (the longest
// start of a valid sequence, at least one byte).
std::size_t Utf8Length(std::string_view bytes, std::size_t i, std::size_t& invalid) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    // The range of the second byte narrows for the leads of overlong forms,
    // surrogates and code points above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (InRange(lead, 0xC2, 0xDF))
        length = 2;
    else if (InRange(lead, 0xE0, 0xEF))
        length = 3;
    else if (InRange(lead, 0xF0, 0xF4))
        length = 4;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;

    std::size_t valid = length == 0 ? 0 : 1;
    for (; valid < length && i + valid < bytes.size(); ++valid) {
        const unsigned char c = static_cast<unsigned char>(bytes[i + valid]);
        if (!InRange(c, valid == 1 ? low : 0x80, valid == 1 ? high : 0xBF))
            break;
    }
    if (length != 0 && valid == length)
        return length;
    invalid = length == 0 ? 1 : valid;
    return 0;
}

std::string_view FieldOrDash(const std::string& field) {
    return field.empty() ? std::string_view("-") : std::string_view(field);
}

} // namespace

void AppendSafeUtf8(std::string& out, std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Plain ASCII goes in runs: most text is nothing else. A zero byte
        // ends a run and, being no lead byte, is replaced.
        std::size_t run = i;
        while (run < bytes.size() && InRange(static_cast<unsigned char>(bytes[run]), 1, 0x7F))
            ++run;
        out.append(bytes, i, run - i);
        i = run;
        if (i == bytes.size())
            break;
        std::size_t invalid = 1;
        const std::size_t length = Utf8Length(bytes, i, invalid);
        if (length != 0) {
            out.append(bytes, i, length);
            i += length;
        } else {
            out.append(Replacement);
            i += invalid;
        }
    }
}

void AppendSyslogLines(std::string_view prefix, std::string_view text, std::vector<std::string>& lines) {
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    std::size_t start = 0;
    bool anyLine = false;
    for (;;) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (end == text.size() && start == text.size() && anyLine)
            break;
        std::string line;
        line.reserve(prefix.size() + (end - start));
        line.append(prefix);
        AppendSafeUtf8(line, text.substr(start, end - start));
        lines.push_back(std::move(line));
        anyLine = true;
        if (end == text.size())
            break;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
}

TLineOrigin SyslogLineOrigin(const TSyslogMessage& message, std::string_view address) {
    TLineOrigin origin;
    origin.Source = TLineSource::Network;
    origin.Host = message.Host;
    origin.App = message.App;
    origin.ProcId = message.ProcId;
    origin.Address = address;
    return origin;
}

std::string SyslogPanePrefix(const TLineOrigin& origin) {
    std::string prefix;
    for (const std::string* field : {&origin.Host, &origin.App, &origin.ProcId}) {
        if (field->empty())
            continue;
        prefix += prefix.empty() ? "[" : " ";
        prefix += *field;
    }
    if (!prefix.empty())
        prefix += "] ";
    return prefix;
}

std::string SyslogHistoryOrigin(const TLineOrigin& origin) {
    std::string text;
    for (const std::string* field : {&origin.Host, &origin.App, &origin.ProcId, &origin.Address}) {
        if (!text.empty())
            text += ' ';
        text += FieldOrDash(*field);
    }
    return text;
}
