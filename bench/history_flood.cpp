#include "history_flood.h"

#include "channel_client.h"
#include "clients.h"
#include "clock.h"
#include "workspace.h"

#include "harness/history.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace bench {

namespace {

const int kClients = 4;
const long kFloodLines = 200000;
// Lines before the flood, so that the pane is full and the history's buffers have been in use.
const long kFillLines = 1000;
const DWORD kStartTimeoutMs = 20000;
const DWORD kCloseTimeoutMs = 10000;
// The history is written at least once a second; a viewer behind on its window is given more.
const DWORD kHistoryWaitMs = 30000;
const DWORD kSettleMs = 1000;

void Progress(const std::string& text) {
    std::printf("[history] %s\n", text.c_str());
    std::fflush(stdout);
}

// What the history holds of the flood: each entry "time<TAB>origin<TAB>text" whose text is a line of
// MakeLine's, "client N line NNNNNN ...".
struct HistoryTally {
    explicit HistoryTally(long each)
        : seen(kClients + 1, std::vector<bool>(static_cast<std::size_t>(each) + 1)), last(kClients + 1) {}

    void Entry(const std::string& entry) {
        const std::size_t text = entry.find('\t', entry.find('\t') + 1);
        int client = 0;
        long number = 0;
        if (text == std::string::npos ||
            std::sscanf(entry.c_str() + text + 1, "client %d line %ld", &client, &number) != 2 ||
            client < 1 || client > kClients || number < 1 || number >= static_cast<long>(seen[client].size()))
            return;
        if (seen[client][number]) {
            ++twice;
            return;
        }
        seen[client][number] = true;
        ++kept;
        if (number < last[client])
            ++outOfOrder;
        last[client] = number;
    }

    std::vector<std::vector<bool>> seen;
    std::vector<long> last;
    long kept = 0;
    long twice = 0;
    long outOfOrder = 0;
};

HistoryTally ReadHistory(const std::string& logPath, long each) {
    HistoryTally tally(each);
    for (const std::string& name : e2e::HistoryFiles(logPath)) {
        std::ifstream file(e2e::HistoryFolder(logPath) + name, std::ios::binary);
        const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        for (std::size_t start = 0; start < content.size();) {
            std::size_t end = content.find("\r\n", start);
            if (end == std::string::npos)
                break; // an entry still being written
            tally.Entry(content.substr(start, end - start));
            start = end + 2;
        }
    }
    return tally;
}

bool PaneEndsWithALastLine(const ViewerProcess& viewer, long each) {
    const double deadline = Seconds() + kHistoryWaitMs / 1000.0;
    do {
        std::string text;
        if (!viewer.ReadPane(text))
            return false;
        for (int client = 1; client <= kClients; ++client) {
            const std::string end = MakeLine(client, each) + "\r\n";
            if (text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0)
                return true;
        }
        Sleep(50);
    } while (Seconds() < deadline);
    return false;
}

} // namespace

HistoryFloodResults MeasureHistoryFlood(const std::string& dravikExe) {
    HistoryFloodResults results;
    const long each = kFloodLines / kClients;
    TempFolder folder;
    ViewerProcess viewer(kDravikNames);
    const std::string copy = folder.Path() + "Dravik.exe";
    const std::string log = folder.Path() + "DebugLog.txt";
    if (!folder.Valid() || !CopyFileA(dravikExe.c_str(), copy.c_str(), FALSE) || !DeleteViewerSettings() ||
        !viewer.Start(copy, "", folder.Path()) || viewer.WaitAnswering(kStartTimeoutMs) < 0 ||
        !viewer.WaitShownNormally(kStartTimeoutMs)) {
        results.problems.push_back("Dravik did not start");
        return results;
    }
    ChannelClient filler;
    bool filled = filler.Open(kDravikNames);
    for (long line = 1; filled && line <= kFillLines; ++line)
        filled = filler.Print(MakeLine(kClients + 1, line));
    std::string problem;
    ClientGroup group(kClients, each, "D");
    if (!filled || !viewer.AskTextLength() || !group.Start(problem)) {
        results.problems.push_back("the flood could not start: " +
                                   (filled ? problem : "the pane was not filled"));
        return results;
    }
    Sleep(kSettleMs);
    if (!viewer.Memory(results.before)) {
        results.problems.push_back("GetProcessMemoryInfo failed on Dravik's process");
        return results;
    }
    Progress(std::to_string(kFloodLines) + " lines of 80 characters from " + std::to_string(kClients) +
             " clients");
    if (!group.RunBlock(0) || !group.Finish(problem)) {
        results.problems.push_back("the flood did not finish: " + problem);
        return results;
    }
    results.sent = kFloodLines;
    const double ended = Seconds();
    if (!PaneEndsWithALastLine(viewer, each))
        results.problems.push_back("after the flood the pane does not end with a client's last line");
    HistoryTally tally = ReadHistory(log, each);
    while (tally.kept < kFloodLines && Seconds() < ended + kHistoryWaitMs / 1000.0) {
        Sleep(100);
        tally = ReadHistory(log, each);
    }
    results.catchUpSeconds = Seconds() - ended;
    results.kept = tally.kept;
    results.twice = tally.twice;
    results.outOfOrder = tally.outOfOrder;
    Progress(std::to_string(tally.kept) + " of " + std::to_string(kFloodLines) +
             " lines in the history after " + std::to_string(results.catchUpSeconds) + " s");
    Sleep(kSettleMs);
    if (!viewer.Memory(results.after))
        results.problems.push_back("GetProcessMemoryInfo failed on Dravik's process");
    if (!viewer.Close(kCloseTimeoutMs))
        results.problems.push_back("Dravik did not close on WM_CLOSE and was ended");
    return results;
}

} // namespace bench
