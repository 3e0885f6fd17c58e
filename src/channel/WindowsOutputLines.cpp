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

std::string WindowsOutputPrefix(std::uint32_t processId) {
    return "[" + std::to_string(processId) + "] ";
}

namespace {
void AddLine(std::uint32_t processId, std::string text, const TLineTime& received,
             std::vector<TReceivedLine>& lines) {
    TReceivedLine line;
    line.Text = std::move(text);
    line.Received = received;
    line.Origin.Source = TLineSource::WindowsOutput;
    line.Origin.ProcessId = processId;
    lines.push_back(std::move(line));
}
} // namespace

void TWindowsOutputLines::Add(const TCapturedMessage& message, std::vector<TReceivedLine>& lines) {
    TakeOverdue(message.Time, lines);
    const std::uint32_t process = message.ProcessId;
    std::string text;
    bool afterCr = false;
    TLineTime received = message.Received;
    const auto waiting = std::find_if(FWaiting.begin(), FWaiting.end(),
                                      [process](const TWaiting& w) { return w.ProcessId == process; });
    if (waiting != FWaiting.end()) {
        text = std::move(waiting->Text);
        afterCr = waiting->AfterCr;
        if (!text.empty())
            received = waiting->Received;
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
        AddLine(process, std::move(text), received, lines);
        text.clear();
        received = message.Received;
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
        AddLine(process, std::move(text), received, lines);
        text.clear();
    }
    if (!text.empty() || afterCr)
        FWaiting.push_back(TWaiting{process, std::move(text), message.Time, received, afterCr});
}

// The waiting texts are kept in the order of their processes' last messages:
// the oldest first.
void TWindowsOutputLines::TakeOverdue(unsigned now, std::vector<TReceivedLine>& lines) {
    const auto firstKept = std::find_if(FWaiting.begin(), FWaiting.end(),
                                        [now](const TWaiting& w) { return !Overdue(w.Since, now); });
    for (auto w = FWaiting.begin(); w != firstKept; ++w)
        if (!w->Text.empty())
            AddLine(w->ProcessId, std::move(w->Text), w->Received, lines);
    FWaiting.erase(FWaiting.begin(), firstKept);
}

void TWindowsOutputLines::TakeAll(std::vector<TReceivedLine>& lines) {
    for (TWaiting& w : FWaiting)
        if (!w.Text.empty())
            AddLine(w.ProcessId, std::move(w.Text), w.Received, lines);
    FWaiting.clear();
}

void TWindowsOutputLines::Forget(std::uint32_t processId) {
    FWaiting.erase(std::remove_if(FWaiting.begin(), FWaiting.end(),
                                  [processId](const TWaiting& w) { return w.ProcessId == processId; }),
                   FWaiting.end());
}
