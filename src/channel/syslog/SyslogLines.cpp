#include "channel/syslog/SyslogLines.h"

#include "common/Utf8.h"

#include <cstddef>

namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

std::string_view FieldOrDash(const std::string& field) {
    return field.empty() ? std::string_view("-") : std::string_view(field);
}

} // namespace

// Well-formed UTF-8 as it is, U+FFFD for the rest; a zero byte, which would
// end the pane's text, is replaced too.
void AppendSafeUtf8(std::string& out, std::string_view bytes) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t zero = bytes.find('\0', start);
        AppendValidUtf8(bytes.substr(start, zero == std::string_view::npos ? zero : zero - start), out);
        if (zero == std::string_view::npos)
            return;
        out.append(Replacement);
        start = zero + 1;
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
