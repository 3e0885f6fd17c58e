#include "windows_output.h"

#include "clients.h"
#include "clock.h"
#include "measure.h"
#include "stats.h"
#include "workspace.h"

#include "harness/ui.h"

#include <process.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

namespace {

const long kBlockMessages = 1000;
const int kFourSenders = 4;
// Short lines: a block of Dravik's, "[pid] w1 000123" per line, stays below its pane's capacity, so that
// every message can be looked for there.
const int kBlockWidth = 0;
// The memory run: lines of 80 characters, many times what the pane holds.
const long kMemoryLines = 100000;
const int kMemoryWidth = 80;
const DWORD kStartTimeoutMs = 20000;
const DWORD kCloseTimeoutMs = 10000;
const DWORD kLateLinesMs = 10000;
const DWORD kSettleMs = 200;
// The popup menu's Capture Windows Output, as the end-to-end tests choose it.
const WORD kCaptureCommand = e2e::kMnuCapture;
const UINT kClearMessage = WM_USER + 5;
const DWORD kBufferSize = 4096;

std::string SenderLine(int sender, long number, int width) {
    char head[32];
    std::snprintf(head, sizeof head, "w%d %06ld", sender, number);
    std::string line = head;
    while (static_cast<int>(line.size()) < width)
        line += static_cast<char>('a' + line.size() % 26);
    return line;
}

// Reads "w<sender> <number>" at the start of text; false for anything else.
bool ParseSenderLine(const char* text, int& sender, long& number) {
    if (text[0] != 'w')
        return false;
    char* end = nullptr;
    sender = static_cast<int>(std::strtol(text + 1, &end, 10));
    if (end == text + 1 || *end != ' ')
        return false;
    const char* digits = end + 1;
    number = std::strtol(digits, &end, 10);
    return end != digits;
}

// Counts, per sender, the messages of a block that arrive in order: numbered from first on, without a gap.
struct BlockTally {
    BlockTally(int senders, long first) : next(static_cast<std::size_t>(senders) + 1, first), first(first) {}
    void Add(int sender, long number) {
        if (sender >= 1 && sender < static_cast<int>(next.size()) && number == next[sender])
            ++next[sender];
    }
    long Found() const {
        long found = 0;
        for (std::size_t sender = 1; sender < next.size(); ++sender)
            found += next[sender] - first;
        return found;
    }
    std::vector<long> next;
    long first;
};

bool ChannelHeld() {
    TKernelHandle probe(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY"));
    return probe.Valid() && GetLastError() == ERROR_ALREADY_EXISTS;
}

// The least a reader of the channel does: wait, copy, let the sender go, count.
class MinimalReader {
  public:
    ~MinimalReader() { Stop(); }

    // False when the channel has a reader already.
    bool Start(int senders, long first) {
        tally_ = BlockTally(senders, first);
        bufferReady_ = TKernelHandle(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY"));
        bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
        dataReady_ = TKernelHandle(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"));
        existed = existed || GetLastError() == ERROR_ALREADY_EXISTS;
        mapping_ = TKernelHandle(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                    kBufferSize, "DBWIN_BUFFER"));
        existed = existed || GetLastError() == ERROR_ALREADY_EXISTS;
        if (!existed && mapping_.Valid())
            view_ = TMappedView(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, kBufferSize));
        stop_ = TKernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (existed || !bufferReady_.Valid() || !dataReady_.Valid() || !view_ || !stop_.Valid()) {
            Stop();
            return false;
        }
        thread_ =
            TKernelHandle(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Main, this, 0, nullptr)));
        if (!thread_.Valid())
            Stop();
        return thread_.Valid();
    }

    // Waits until `expected` messages have come in order, or the time is over.
    long WaitFound(long expected, DWORD timeoutMs) {
        const double deadline = Seconds() + timeoutMs / 1000.0;
        while (found_ < expected && Seconds() < deadline)
            Sleep(10);
        return found_;
    }

    // Releases the channel; the counts then stay as they are.
    void Stop() {
        if (thread_.Valid()) {
            SetEvent(stop_.Get());
            WaitForSingleObject(thread_.Get(), INFINITE);
            thread_.Reset();
        }
        view_.Reset();
        mapping_.Reset();
        dataReady_.Reset();
        bufferReady_.Reset();
        stop_.Reset();
    }

  private:
    static unsigned __stdcall Main(void* self) {
        static_cast<MinimalReader*>(self)->Read();
        return 0;
    }

    void Read() {
        const char* const buffer = static_cast<const char*>(view_.Get());
        const HANDLE wakers[] = {stop_.Get(), dataReady_.Get()};
        SetEvent(bufferReady_.Get());
        while (WaitForMultipleObjects(2, wakers, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            char text[kBufferSize - sizeof(DWORD) + 1];
            std::memcpy(text, buffer + sizeof(DWORD), sizeof text - 1);
            text[sizeof text - 1] = '\0';
            SetEvent(bufferReady_.Get());
            int sender = 0;
            long number = 0;
            if (ParseSenderLine(text, sender, number)) {
                tally_.Add(sender, number);
                found_ = tally_.Found();
            }
        }
    }

    TKernelHandle bufferReady_;
    TKernelHandle dataReady_;
    TKernelHandle mapping_;
    TMappedView view_;
    TKernelHandle stop_;
    TKernelHandle thread_;
    BlockTally tally_{0, 0};
    volatile long found_ = 0;
};

void Progress(const std::string& text) {
    std::printf("[Windows debug output] %s\n", text.c_str());
    std::fflush(stdout);
}

// Dravik with its switch, its window and its pane.
class CapturingDravik {
  public:
    CapturingDravik() : viewer_(kDravikNames) {}

    bool Start(const std::string& exe, std::string& problem) {
        const std::string copy = folder_.Path() + "Dravik.exe";
        if (!folder_.Valid() || !CopyFileA(exe.c_str(), copy.c_str(), FALSE)) {
            problem = "could not copy Dravik.exe into a fresh folder";
            return false;
        }
        // Saved on: the capture begins with the start-up.
        if (!DeleteViewerSettings() || !SetViewerSetting("CaptureWindowsOutput", "1") ||
            !viewer_.Start(copy, "", folder_.Path()) || viewer_.WaitAnswering(kStartTimeoutMs) < 0 ||
            !viewer_.WaitShownNormally(kStartTimeoutMs)) {
            problem = "Dravik did not start";
            return false;
        }
        window_ = FindWindowA(kDravikNames.windowClass, kDravikNames.title);
        capturing_ = ChannelHeld();
        if (!capturing_)
            problem = "Dravik did not take the channel at its start";
        return capturing_;
    }

    // Turns the switch as the user does, from the popup menu, and checks that the channel followed at once.
    bool SetCapturing(bool on) {
        if (capturing_ != on) {
            DWORD_PTR answer = 0;
            if (!SendMessageTimeoutA(window_, WM_COMMAND, MAKEWPARAM(kCaptureCommand, 0), 0, SMTO_ABORTIFHUNG,
                                     kCloseTimeoutMs, &answer))
                return false;
            capturing_ = on;
        }
        return ChannelHeld() == on;
    }

    bool Clear() const {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutA(window_, kClearMessage, 0, 0, SMTO_ABORTIFHUNG, kCloseTimeoutMs,
                                   &answer) != 0;
    }

    // Looks for every message of the block in the pane, waiting for late ones.
    long Found(int senders, long first, long expected) const {
        long found = 0;
        const double deadline = Seconds() + kLateLinesMs / 1000.0;
        do {
            std::string text;
            if (!viewer_.ReadPane(text))
                return found;
            BlockTally tally(senders, first);
            for (std::size_t start = 0; start < text.size();) {
                std::size_t end = text.find("\r\n", start);
                if (end == std::string::npos)
                    end = text.size();
                const std::size_t body = text.find("] ", start);
                int sender = 0;
                long number = 0;
                if (body < end && ParseSenderLine(text.c_str() + body + 2, sender, number))
                    tally.Add(sender, number);
                start = end + 2;
            }
            found = tally.Found();
            if (found >= expected)
                return found;
            Sleep(50);
        } while (Seconds() < deadline);
        return found;
    }

    // Waits for late lines.
    bool PaneEndsWithOneOf(const std::vector<std::string>& lines) const {
        const double deadline = Seconds() + kLateLinesMs / 1000.0;
        do {
            std::string text;
            if (!viewer_.ReadPane(text))
                return false;
            for (const std::string& line : lines) {
                const std::string end = "] " + line + "\r\n";
                if (text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0)
                    return true;
            }
            Sleep(50);
        } while (Seconds() < deadline);
        return false;
    }

    ViewerProcess& Viewer() { return viewer_; }

  private:
    TempFolder folder_;
    ViewerProcess viewer_;
    HWND window_ = nullptr;
    bool capturing_ = false;
};

struct Tally {
    std::vector<double> dravikOne, readerOne, dravikFour, readerFour;
};

double PerSecond(long messages, double seconds) {
    return seconds > 0 ? messages / seconds : 0;
}

// One group of senders through the blocks of the round's order; every message of each block is looked for.
bool RunSenders(CapturingDravik& dravik, int senders, const std::string& order,
                std::vector<double>& dravikRates, std::vector<double>& readerRates,
                WindowsOutputResults& results, std::string& problem) {
    const long each = kBlockMessages / senders;
    ClientGroup group(senders, each, order, "--sender", std::to_string(kBlockWidth));
    if (!group.Start(problem))
        return false;
    const std::string what = senders == 1 ? "one sender" : std::to_string(senders) + " senders";
    for (std::size_t block = 0; block < order.size(); ++block) {
        const bool toDravik = order[block] == 'D';
        const long first = static_cast<long>(block) * each + 1;
        MinimalReader reader;
        if (!dravik.SetCapturing(toDravik)) {
            problem = toDravik ? "Dravik did not take the channel when switched on"
                               : "Dravik did not release the channel when switched off";
            return false;
        }
        if (toDravik ? !dravik.Clear() : !reader.Start(senders, first)) {
            problem =
                toDravik ? "Dravik did not clear its pane" : "the minimal reader could not take the channel";
            return false;
        }
        const double start = Seconds();
        if (!group.RunBlock(block)) {
            problem = "a block of " + what + " did not finish in time";
            return false;
        }
        const double seconds = Seconds() - start;
        const long found = toDravik ? dravik.Found(senders, first, kBlockMessages)
                                    : reader.WaitFound(kBlockMessages, kLateLinesMs);
        reader.Stop();
        (toDravik ? results.dravikSent : results.readerSent) += kBlockMessages;
        (toDravik ? results.dravikLost : results.readerLost) += kBlockMessages - found;
        std::vector<double>& rates = toDravik ? dravikRates : readerRates;
        rates.push_back(PerSecond(kBlockMessages, seconds));
        Progress(std::string(toDravik ? "Dravik" : "minimal reader") + ", " + what + ": " +
                 std::to_string(rates.back()) + " messages/s, " + std::to_string(kBlockMessages - found) +
                 " lost");
        Sleep(kSettleMs);
    }
    return group.Finish(problem);
}

void MeasureMemory(CapturingDravik& dravik, WindowsOutputResults& results) {
    const long each = kMemoryLines / kFourSenders;
    std::string problem;
    ClientGroup group(kFourSenders, each, "D", "--sender", std::to_string(kMemoryWidth));
    if (!dravik.SetCapturing(true) || !group.Start(problem)) {
        results.problems.push_back("the memory run could not start: " + problem);
        return;
    }
    Sleep(kSettleMs);
    if (!dravik.Viewer().Memory(results.before)) {
        results.problems.push_back("GetProcessMemoryInfo failed on Dravik's process");
        return;
    }
    Progress("memory: " + std::to_string(kMemoryLines) + " lines of " + std::to_string(kMemoryWidth) +
             " characters");
    if (!group.RunBlock(0) || !group.Finish(problem)) {
        results.problems.push_back("the memory run did not finish: " + problem);
        return;
    }
    // The pane ends with the last line sent: the last one of the sender that finished last.
    std::vector<std::string> lastLines;
    for (int sender = 1; sender <= kFourSenders; ++sender)
        lastLines.push_back(SenderLine(sender, each, kMemoryWidth));
    if (!dravik.PaneEndsWithOneOf(lastLines))
        results.problems.push_back("after the memory run the pane does not end with a sender's last line");
    Sleep(kSettleMs);
    if (!dravik.Viewer().Memory(results.after))
        results.problems.push_back("GetProcessMemoryInfo failed on Dravik's process");
    results.memoryLines = kMemoryLines;
}

double RoundRatio(const std::vector<double>& dravik, const std::vector<double>& reader, std::size_t from) {
    const auto offset = static_cast<std::ptrdiff_t>(from);
    const std::vector<double> d(dravik.begin() + offset, dravik.end());
    const std::vector<double> r(reader.begin() + offset, reader.end());
    const double median = Median(r);
    return median > 0 ? Median(d) / median : 0;
}

} // namespace

WindowsOutputResults MeasureWindowsOutput(const std::string& dravikExe, int rounds) {
    WindowsOutputResults results;
    Tally tally;
    for (int round = 0; round < rounds; ++round) {
        Progress("round " + std::to_string(round + 1) + " of " + std::to_string(rounds));
        CapturingDravik dravik;
        std::string problem;
        const std::size_t oneFrom = tally.dravikOne.size();
        const std::size_t fourFrom = tally.dravikFour.size();
        const std::string order = BlockOrder(round);
        if (!dravik.Start(dravikExe, problem) ||
            !RunSenders(dravik, 1, order, tally.dravikOne, tally.readerOne, results, problem) ||
            !RunSenders(dravik, kFourSenders, order, tally.dravikFour, tally.readerFour, results, problem)) {
            results.problems.push_back("round " + std::to_string(round + 1) + ": " + problem);
            break;
        }
        results.oneSenderRatios.push_back(RoundRatio(tally.dravikOne, tally.readerOne, oneFrom));
        results.fourSendersRatios.push_back(RoundRatio(tally.dravikFour, tally.readerFour, fourFrom));
        if (round == rounds - 1)
            MeasureMemory(dravik, results);
        if (!dravik.Viewer().Close(kCloseTimeoutMs))
            results.problems.push_back("Dravik did not close on WM_CLOSE and was ended");
    }
    results.dravikOneSender = Median(tally.dravikOne);
    results.readerOneSender = Median(tally.readerOne);
    results.dravikFourSenders = Median(tally.dravikFour);
    results.readerFourSenders = Median(tally.readerFour);
    return results;
}

int SenderMain(const std::string& tag, int index, const std::string& order, long linesEach, int width) {
    TKernelHandle ready(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, ReadyName(tag).c_str()));
    TKernelHandle done(OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, DoneName(tag).c_str()));
    if (!ready.Valid() || !done.Valid())
        return 2;
    ReleaseSemaphore(ready.Get(), 1, nullptr);
    bool sent = true;
    long number = 0;
    for (std::size_t block = 0; block < order.size(); ++block) {
        TKernelHandle gate(OpenEventA(SYNCHRONIZE, FALSE, GateName(tag, block).c_str()));
        sent = sent && gate.Valid() && WaitForSingleObject(gate.Get(), 30000) == WAIT_OBJECT_0;
        for (long line = 1; sent && line <= linesEach; ++line)
            OutputDebugStringA((SenderLine(index, ++number, width) + "\n").c_str());
        ReleaseSemaphore(done.Get(), 1, nullptr);
    }
    return sent ? 0 : 4;
}

} // namespace bench
