#include "channel/WindowsOutputLines.h"

#include <algorithm>

namespace {
// A text stamped after now (the reader took it after the window read its
// clock) has waited no time at all. Taken as a signed difference, the
// clock's wrapping around after 49 days is no harm either.
bool Overdue(unsigned since, unsigned now) {
    const auto waited = static_cast<std::int32_t>(now - since);
    return waited >= static_cast<std::int32_t>(TWindowsOutputLines::PartialLineWait);
}
} // namespace

std::string WindowsOutputLine(std::uint32_t processId, const std::string& text) {
    return "[" + std::to_string(processId) + "] " + text;
}

void TWindowsOutputLines::Add(const TCapturedMessage& message, std::vector<std::string>& lines) {
    TakeOverdue(message.Time, lines);
    const std::uint32_t process = message.ProcessId;
    std::string text;
    bool afterCr = false;
    const auto waiting = std::find_if(FWaiting.begin(), FWaiting.end(),
                                      [process](const TWaiting& w) { return w.ProcessId == process; });
    if (waiting != FWaiting.end()) {
        text = std::move(waiting->Text);
        afterCr = waiting->AfterCr;
        FWaiting.erase(waiting);
    }

    const std::string& in = message.Text;
    std::size_t start = 0;
    if (afterCr && !in.empty()) {
        if (in[0] == '\n')
            start = 1;
        afterCr = false;
    }
    for (;;) {
        const std::size_t lineBreak = in.find_first_of("\r\n", start);
        if (lineBreak == std::string::npos)
            break;
        text.append(in, start, lineBreak - start);
        lines.push_back(WindowsOutputLine(process, text));
        text.clear();
        start = lineBreak + 1;
        if (in[lineBreak] == '\r') {
            if (start < in.size() && in[start] == '\n')
                ++start;
            else if (start == in.size())
                afterCr = true;
        }
    }
    text.append(in, start, std::string::npos);

    if (text.size() >= LongestWaitingLine) {
        lines.push_back(WindowsOutputLine(process, text));
        text.clear();
    }
    if (!text.empty() || afterCr)
        FWaiting.push_back(TWaiting{process, std::move(text), message.Time, afterCr});
}

// The waiting texts are kept in the order of their processes' last messages:
// the oldest first.
void TWindowsOutputLines::TakeOverdue(unsigned now, std::vector<std::string>& lines) {
    const auto firstKept = std::find_if(FWaiting.begin(), FWaiting.end(),
                                        [now](const TWaiting& w) { return !Overdue(w.Since, now); });
    for (auto w = FWaiting.begin(); w != firstKept; ++w)
        if (!w->Text.empty())
            lines.push_back(WindowsOutputLine(w->ProcessId, w->Text));
    FWaiting.erase(FWaiting.begin(), firstKept);
}

void TWindowsOutputLines::TakeAll(std::vector<std::string>& lines) {
    for (const TWaiting& w : FWaiting)
        if (!w.Text.empty())
            lines.push_back(WindowsOutputLine(w.ProcessId, w.Text));
    FWaiting.clear();
}

void TWindowsOutputLines::Forget(std::uint32_t processId) {
    FWaiting.erase(std::remove_if(FWaiting.begin(), FWaiting.end(),
                                  [processId](const TWaiting& w) { return w.ProcessId == processId; }),
                   FWaiting.end());
}
