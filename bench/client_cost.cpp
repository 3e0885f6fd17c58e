#include "client_cost.h"

#include "channel_client.h"
#include "clock.h"
#include "stats.h"
#include "viewer_process.h"
#include "workspace.h"

#include "dravik/client.h"
#include "harness/process.h"

#include <cstdio>
#include <vector>

namespace bench {

namespace {

// Three kinds of print in every round; over the six rounds each kind takes each place twice.
enum PrintKind { kHeader, kBare, kMutexed };
const PrintKind kPrintOrders[][3] = {{kHeader, kBare, kMutexed}, {kBare, kMutexed, kHeader},
                                     {kMutexed, kHeader, kBare}, {kHeader, kMutexed, kBare},
                                     {kMutexed, kBare, kHeader}, {kBare, kHeader, kMutexed}};
const long kPrintsPerRound = 3000;
// dravik-send and the bare channel take turns: A B B A.
const int kSendRounds = 4;
const long kSendLines = 10000;
// Fills the pane, so that every timed line runs its trimming path (it holds about 365 such lines).
const long kPrefillLines = 1000;
const DWORD kSettleMs = 200;
const DWORD kStartTimeoutMs = 20000;
const DWORD kCloseTimeoutMs = 10000;
const DWORD kSendTimeoutMs = 300000;

void Progress(const std::string& text) {
    std::printf("[clients] %s\n", text.c_str());
    std::fflush(stdout);
}

// Round r's turn for dravik-send: 0 1 1 0 says whether it goes second.
bool ClientSecond(int round) {
    return ((round + 1) / 2) % 2 == 1;
}

const char* KindName(PrintKind kind) {
    return kind == kHeader ? "the header"
           : kind == kBare ? "the bare channel"
                           : "the bare channel with the mutex";
}

double RoundRatio(double client, double bare) {
    return bare > 0 ? client / bare : 0;
}

class Session {
  public:
    explicit Session(ClientCostResults& results) : results_(results), viewer_(kDravikNames) {}

    bool Start(const std::string& dravikExe) {
        const std::string copy = folder_.Path() + "Dravik.exe";
        if (!folder_.Valid() || !CopyFileA(dravikExe.c_str(), copy.c_str(), FALSE) ||
            !DeleteViewerSettings() || !viewer_.Start(copy, "", folder_.Path()) ||
            viewer_.WaitAnswering(kStartTimeoutMs) < 0 || !viewer_.WaitShownNormally(kStartTimeoutMs) ||
            !bare_.Open(kDravikNames)) {
            return Problem("Dravik did not start, or its channel failed");
        }
        for (long number = 1; number <= kPrefillLines; ++number) {
            if (!bare_.Send(MakeLine(0, number)))
                return Problem("the prefill failed");
        }
        // The header opens what it keeps on its first call: not a cost per print.
        return dravik_print(MakeLine(0, kPrefillLines + 1).c_str()) == DRAVIK_OK ||
               Problem("a first print through the header failed");
    }

    // Seconds that count prints of the given kind take, or a negative value.
    double PrintRound(PrintKind kind, long count) {
        const std::vector<std::string> lines = NextLines(2 + kind, count);
        const double start = Seconds();
        for (const std::string& line : lines) {
            const bool printed = kind == kHeader ? dravik_print(line.c_str()) == DRAVIK_OK
                                 : kind == kBare ? bare_.Send(line)
                                                 : bare_.Print(line);
            if (!printed)
                return Fail(std::string("a print through ") + KindName(kind) + " failed");
        }
        const double seconds = Seconds() - start;
        return Settle(lines.back()) ? seconds : -1;
    }

    // Seconds from starting `dravik-send -` with the file as its standard input to its end, or a negative
    // value.
    double SendRound(const std::string& sendExe, const std::string& inputPath, const std::string& lastLine) {
        const double start = Seconds();
        const e2e::StartedProgram send = e2e::StartFedProgram("\"" + sendExe + "\" -", inputPath, "NUL");
        if (!send.Started())
            return Fail("dravik-send did not start");
        const bool ended = send.Wait(kSendTimeoutMs);
        const double seconds = Seconds() - start;
        const DWORD code = send.ExitCode();
        if (!ended || code != 0)
            return Fail("dravik-send - failed (exit code " + std::to_string(code) + ")");
        return Settle(lastLine) ? seconds : -1;
    }

    void Close() {
        if (!viewer_.Close(kCloseTimeoutMs))
            results_.problems.push_back("Dravik did not close on WM_CLOSE and was ended");
    }

  private:
    std::vector<std::string> NextLines(int client, long count) {
        std::vector<std::string> lines;
        for (long i = 0; i < count; ++i)
            lines.push_back(MakeLine(client, ++number_));
        return lines;
    }

    // After a round: waits until Dravik has its pane in step, checks that the pane ends with the last line
    // sent, and rests, so that its late work does not fall into the next round.
    bool Settle(const std::string& lastLine) {
        std::string pane;
        const std::string end = lastLine + "\r\n";
        if (!viewer_.AskTextLength() || !viewer_.ReadPane(pane) || pane.size() < end.size() ||
            pane.compare(pane.size() - end.size(), end.size(), end) != 0) {
            return Problem("MISMATCH: after a round the pane did not end with the last line sent \"" +
                           lastLine + "\"");
        }
        ++results_.panesChecked;
        Sleep(kSettleMs);
        return true;
    }

    bool Problem(const std::string& problem) {
        results_.problems.push_back(problem);
        return false;
    }
    // The same for a figure.
    double Fail(const std::string& problem) {
        Problem(problem);
        return -1;
    }

    ClientCostResults& results_;
    TempFolder folder_;
    ViewerProcess viewer_;
    ChannelClient bare_;
    long number_ = kPrefillLines + 1;
};

} // namespace

ClientCostResults MeasureClientCost(const std::string& dravikExe, const std::string& sendExe) {
    ClientCostResults results;
    Session session(results);
    if (!session.Start(dravikExe))
        return results;

    std::vector<double> perPrint[3];
    for (const PrintKind(&order)[3] : kPrintOrders) {
        double us[3] = {};
        for (int turn = 0; turn < 3 && results.problems.empty(); ++turn)
            us[order[turn]] = session.PrintRound(order[turn], kPrintsPerRound) * 1e6 / kPrintsPerRound;
        if (!results.problems.empty())
            break;
        for (int kind = 0; kind < 3; ++kind)
            perPrint[kind].push_back(us[kind]);
        results.printRatios.push_back(RoundRatio(us[kHeader], us[kBare]));
        results.mutexedRatios.push_back(RoundRatio(us[kMutexed], us[kBare]));
        Progress("print: header " + std::to_string(us[kHeader]) + " us, bare channel " +
                 std::to_string(us[kBare]) + " us, with the mutex " + std::to_string(us[kMutexed]) + " us");
    }

    TempFolder inputFolder;
    const std::string inputPath = inputFolder.Path() + "lines.txt";
    std::string input;
    for (long number = 1; number <= kSendLines; ++number)
        input += MakeLine(1, number) + "\n";
    if (!inputFolder.Valid() || !WriteWholeFile(inputPath, input))
        results.problems.push_back("could not write dravik-send's input");
    std::vector<double> sent, bareRates;
    for (int round = 0; round < kSendRounds && results.problems.empty(); ++round) {
        double client = 0, channel = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 1) == ClientSecond(round))
                client = kSendLines / session.SendRound(sendExe, inputPath, MakeLine(1, kSendLines));
            else
                channel = kSendLines / session.PrintRound(kBare, kSendLines);
        }
        if (client <= 0 || channel <= 0)
            break;
        sent.push_back(client);
        bareRates.push_back(channel);
        results.sendRatios.push_back(RoundRatio(client, channel));
        Progress("dravik-send -: " + std::to_string(client) + " lines/s, bare channel " +
                 std::to_string(channel) + " lines/s");
    }
    session.Close();

    results.headerUsPerPrint = Median(perPrint[kHeader]);
    results.bareUsPerPrint = Median(perPrint[kBare]);
    results.mutexedUsPerPrint = Median(perPrint[kMutexed]);
    results.sendLinesPerSecond = Median(sent);
    results.bareLinesPerSecond = Median(bareRates);
    return results;
}

std::vector<Row> ClientRows(const ClientCostResults& results) {
    return {
        Row{"Cost per print through include/dravik/client.h", "us", results.headerUsPerPrint,
            results.bareUsPerPrint, false, 1.4, 0},
        // No target: the least any client that keeps to the protocol pays, the clients' mutex included.
        Row{"Cost per print, bare channel with the clients' mutex", "us", results.mutexedUsPerPrint,
            results.bareUsPerPrint, false, 0, 0},
        Row{"dravik-send - from standard input", "lines/s", results.sendLinesPerSecond,
            results.bareLinesPerSecond, true, 0.6, 0},
    };
}

} // namespace bench
