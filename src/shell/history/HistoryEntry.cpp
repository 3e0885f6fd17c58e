#include "shell/history/HistoryEntry.h"

namespace {
// Fixed width keeps every entry's text in the same place, and a reader's parse simple; a field out of
// range is clamped rather than allowed to widen the time.
void AppendDigits(std::string& out, int value, int width) {
    int limit = 1;
    for (int i = 0; i < width; ++i)
        limit *= 10;
    if (value < 0)
        value = 0;
    if (value >= limit)
        value = limit - 1;
    char digits[4];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<std::size_t>(width));
}

// The origin is one field between two tabs and its words are split on blanks: a control character
// (a tab, a line break, a zero) would break the entry, so it becomes "?".
void AppendOriginText(std::string& out, const std::string& text) {
    for (char c : text)
        out.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c);
}

// One of the four words of a network origin: a sender's blank would make five.
void AppendNetworkWord(std::string& out, const std::string& word) {
    if (word.empty()) {
        out.push_back('-');
        return;
    }
    for (char c : word)
        out.push_back(static_cast<unsigned char>(c) <= 0x20 || c == 0x7F ? '_' : c);
}

bool EndsPaneLine(char c) {
    return c == '\r' || c == '\n';
}
} // namespace

void AppendHistoryTime(std::string& out, const TLineTime& time) {
    AppendDigits(out, time.Year, 4);
    out.push_back('-');
    AppendDigits(out, time.Month, 2);
    out.push_back('-');
    AppendDigits(out, time.Day, 2);
    out.push_back(' ');
    AppendDigits(out, time.Hour, 2);
    out.push_back(':');
    AppendDigits(out, time.Minute, 2);
    out.push_back(':');
    AppendDigits(out, time.Second, 2);
    out.push_back('.');
    AppendDigits(out, time.Millisecond, 3);
}

void AppendHistoryOrigin(std::string& out, const TLineOrigin& origin) {
    switch (origin.Source) {
    case TLineSource::Client:
        out.append("client");
        return;
    case TLineSource::WindowsOutput:
        out.append(std::to_string(origin.ProcessId));
        if (!origin.ProcessName.empty()) {
            out.push_back(' ');
            AppendOriginText(out, origin.ProcessName);
        }
        return;
    case TLineSource::Network:
        AppendNetworkWord(out, origin.Host);
        out.push_back(' ');
        AppendNetworkWord(out, origin.App);
        out.push_back(' ');
        AppendNetworkWord(out, origin.ProcId);
        out.push_back(' ');
        AppendNetworkWord(out, origin.Address);
        return;
    case TLineSource::Viewer:
        break;
    }
    out.append("viewer");
}

std::size_t HistoryEntryCount(std::string_view text) {
    std::size_t entries = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!EndsPaneLine(text[i]))
            continue;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        ++entries;
    }
    return entries;
}

// A text of one pane line, the usual case, is copied in one piece; only a text with breaks pays for a
// copy of the time and origin per line.
std::size_t AppendHistoryEntries(std::string& out, const TLineTime& received, const TLineOrigin& origin,
                                 std::string_view utf8Text) {
    const std::size_t prefixStart = out.size();
    AppendHistoryTime(out, received);
    out.push_back('\t');
    AppendHistoryOrigin(out, origin);
    out.push_back('\t');
    const std::size_t prefixLength = out.size() - prefixStart;
    std::string prefix;

    std::size_t entries = 1;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < utf8Text.size(); ++i) {
        const char c = utf8Text[i];
        if (static_cast<unsigned char>(c) > '\r' || (c != '\0' && !EndsPaneLine(c)))
            continue;
        out.append(utf8Text.data() + runStart, i - runStart);
        runStart = i + 1;
        if (c == '\0') {
            out.push_back('?');
            continue;
        }
        if (c == '\r' && i + 1 < utf8Text.size() && utf8Text[i + 1] == '\n') {
            ++i;
            runStart = i + 1;
        }
        out.append("\r\n");
        if (prefix.empty())
            prefix.assign(out, prefixStart, prefixLength);
        out.append(prefix);
        ++entries;
    }
    out.append(utf8Text.data() + runStart, utf8Text.size() - runStart);
    out.append("\r\n");
    return entries;
}
