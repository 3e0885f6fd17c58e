// Load: many clients at once, and one client flooding while the user works the window. Afterwards the viewer
// is alive, every line it holds is whole and in its client's order, and the log it writes at close is the
// pane exactly.
#include "ReferencePane.h"
#include "harness/faults.h"
#include "harness/fixture.h"
#include "harness/process.h"

#include <cstdio>
#include <vector>

using namespace e2e;

namespace {

const std::string kMarkPrefix = "*** (MARKED AT ";
// 200000 lines took 131 s here (the rate with the window shown varied between runs from about 1300 to
// 2600 lines a second), which with the eight senders' minute leaves the program over three minutes: the
// flood is the largest round count that fits.
const long kFloodLines = 150000;

// Line k of client c: its number, then a filler of a length and content that change from line to line, so
// that a torn line or two lines run together cannot pass for a whole one.
std::string NumberedLine(int client, long k) {
    char head[32];
    std::snprintf(head, sizeof head, "c%d %06ld ", client, k);
    return head + Filler(8 + static_cast<std::size_t>(client * 13 + k) % 40,
                         static_cast<std::size_t>(client) * 1000003u + static_cast<std::size_t>(k));
}

// Reads "c<digit> <six digits> " at the start of a line.
bool ParseHead(const std::string& line, int& client, long& k) {
    if (line.size() < 10 || line[0] != 'c' || line[1] < '0' || line[1] > '9' || line[2] != ' ' ||
        line[9] != ' ')
        return false;
    client = line[1] - '0';
    k = 0;
    for (std::size_t i = 3; i < 9; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return false;
        k = k * 10 + (line[i] - '0');
    }
    return true;
}

bool IsLimitationLine(const std::string& line) {
    return line.size() > ReferenceLimitationPrefix.size() &&
           line.compare(0, ReferenceLimitationPrefix.size(), ReferenceLimitationPrefix) == 0 &&
           line.find_first_not_of("0123456789", ReferenceLimitationPrefix.size()) == std::string::npos;
}

struct TailReport {
    std::size_t wholeLines = 0;
    std::size_t marks = 0;
    bool limitation = false;
    std::vector<long> first;
    std::vector<long> last;
    std::string error;
};

// What a pane or a log holds after numbered lines went through the capacity rule: possibly the limitation
// line and, after it, the tail of a cut line; then only whole lines, each client's numbers following one
// another without a gap, and marker lines anywhere.
TailReport CheckTail(const std::string& text, int clients) {
    TailReport report;
    report.first.assign(static_cast<std::size_t>(clients), -1);
    report.last.assign(static_cast<std::size_t>(clients), -1);
    if (text.empty())
        return report;
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) {
        report.error = "the text does not end with a line break";
        return report;
    }
    const std::vector<std::string> lines = SplitLines(text);
    std::size_t i = 0;
    if (IsLimitationLine(lines[0])) {
        report.limitation = true;
        i = 2; // the line after it may be the tail of a line cut by the rule
    }
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.compare(0, kMarkPrefix.size(), kMarkPrefix) == 0) {
            ++report.marks;
            continue;
        }
        int c = 0;
        long k = 0;
        if (!ParseHead(line, c, k) || c >= clients || line != NumberedLine(c, k)) {
            report.error = "line " + std::to_string(i) + " is torn or mixed: " + ToText(line);
            return report;
        }
        long& last = report.last[static_cast<std::size_t>(c)];
        if (last != -1 && k != last + 1) {
            report.error = "client " + std::to_string(c) + ": line " + std::to_string(k) + " follows " +
                           std::to_string(last);
            return report;
        }
        if (last == -1)
            report.first[static_cast<std::size_t>(c)] = k;
        last = k;
        ++report.wholeLines;
    }
    return report;
}

// Every client that still has lines in the text must show its last one: the text is the newest output.
void CheckEndsWithEachClientsLast(const TailReport& report, long lastNumber, const std::string& what) {
    for (std::size_t c = 0; c < report.last.size(); ++c) {
        if (report.last[c] != -1) {
            CHECK_MSG(report.last[c] == lastNumber, what + ": client " + std::to_string(c) +
                                                        " ends at line " + std::to_string(report.last[c]));
        }
    }
}

void EightSendersAtOnce() {
    const int senders = 8;
    const long linesEach = 5000;
    if (!CHECK_MSG(FileExists(SendTool()), SendTool() + " is missing"))
        return;
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK(IsWindowVisible(viewer));

    for (int c = 0; c < senders; ++c) {
        std::string input;
        for (long k = 0; k < linesEach; ++k)
            input += NumberedLine(c, k) + "\r\n";
        CHECK(WriteFileBytes(run.Folder() + "in" + std::to_string(c) + ".txt", input));
    }
    const DWORD start = GetTickCount();
    std::vector<StartedProgram> programs;
    for (int c = 0; c < senders; ++c) {
        programs.push_back(StartFedProgram("\"" + SendTool() + "\" -",
                                           run.Folder() + "in" + std::to_string(c) + ".txt",
                                           run.Folder() + "out" + std::to_string(c) + ".txt"));
    }
    long delivered = 0;
    int clean = 0;
    for (int c = 0; c < senders; ++c) {
        const StartedProgram& program = programs[static_cast<std::size_t>(c)];
        CHECK_MSG(program.Started(), "dravik-send " + std::to_string(c) + " did not start");
        CHECK_MSG(program.Wait(150000), "dravik-send " + std::to_string(c) + " still runs");
        const DWORD code = program.ExitCode();
        if (CHECK_MSG(code == 0, "dravik-send " + std::to_string(c) + " exit code " + std::to_string(code))) {
            delivered += linesEach;
            ++clean;
        } else {
            std::string output;
            ReadFileBytes(run.Folder() + "out" + std::to_string(c) + ".txt", output);
            std::printf("  dravik-send %d said: %s\n", c, output.c_str());
        }
    }
    const DWORD elapsed = GetTickCount() - start;
    programs.clear();

    CHECK(run.Running());
    CHECK(FindViewerWindow(run.ProcessId()) == viewer);
    std::string pane;
    CHECK(ReadPane(viewer, pane));
    const TailReport inPane = CheckTail(pane, senders);
    CHECK_MSG(inPane.error.empty(), "pane: " + inPane.error);
    CHECK(inPane.limitation);
    CHECK_EQ(inPane.marks, 0u);
    CheckEndsWithEachClientsLast(inPane, linesEach - 1, "pane");

    CHECK(run.Close());
    std::string log;
    CHECK(ReadFileBytes(run.LogPath(), log));
    CHECK_MSG(log == pane, "the log differs from the pane" + FirstDifference(log, pane));
    const TailReport inLog = CheckTail(log, senders);
    CHECK_MSG(inLog.error.empty(), "log: " + inLog.error);

    Figure("load8_lines_sent", senders * linesEach);
    Figure("load8_clients_exit_0", clean);
    Figure("load8_lines_delivered", delivered);
    Figure("load8_lines_whole_in_pane", static_cast<long long>(inPane.wholeLines));
    Figure("load8_lines_whole_in_log", static_cast<long long>(inLog.wholeLines));
    Figure("load8_ms", elapsed);
    Figure("load8_lines_per_second", elapsed > 0 ? senders * linesEach * 1000LL / elapsed : 0);
    Result("eight dravik-send copies, 5000 lines each, at once",
           std::to_string(clean) + " of 8 exited 0 (" + std::to_string(delivered) + " of " +
               std::to_string(senders * linesEach) + " lines delivered) in " + std::to_string(elapsed) +
               " ms; pane and log hold the newest " + std::to_string(inPane.wholeLines) +
               " lines, all whole and in each client's order; log equals pane");
}

// One client printing numbered lines as fast as the viewer takes them, as a program in a tight loop does. It
// takes the clients' turn for each line, like every client, so other clients can come in between.
struct Flood {
    HWND viewer = nullptr;
    long count = 0;
    volatile LONG sent = 0;
    bool failed = false;
    std::string why;
};

DWORD WINAPI RunFlood(LPVOID parameter) {
    Flood& flood = *static_cast<Flood*>(parameter);
    ClientTurn turn;
    Region region = Region::Open();
    if (!turn.Valid() || !region.Valid()) {
        flood.failed = true;
        flood.why = "no client mutex or region";
        return 1;
    }
    for (long k = 0; k < flood.count; ++k) {
        if (!turn.Take(10000)) {
            flood.failed = true;
            flood.why = "waited 10 s for the clients' turn at line " + std::to_string(k);
            return 1;
        }
        const bool sent = PrintThrough(region, flood.viewer, NumberedLine(0, k));
        turn.Give();
        if (!sent) {
            flood.failed = true;
            flood.why = "line " + std::to_string(k) + " was not taken";
            return 1;
        }
        InterlockedExchange(&flood.sent, k + 1);
    }
    return 0;
}

// Owns the flood's thread.
class FloodThread {
  public:
    explicit FloodThread(Flood& flood) : thread_(CreateThread(nullptr, 0, RunFlood, &flood, 0, nullptr)) {}
    bool Started() const { return thread_.Valid(); }
    bool Join(DWORD timeoutMs) { return WaitForSingleObject(thread_.Get(), timeoutMs) == WAIT_OBJECT_0; }

  private:
    TKernelHandle thread_;
};

long Sent(const Flood& flood) {
    return InterlockedCompareExchange(const_cast<volatile LONG*>(&flood.sent), 0, 0);
}

bool WaitForSent(const Flood& flood, long lines, DWORD timeoutMs) {
    return WaitFor([&] { return Sent(flood) >= lines || flood.failed; }, timeoutMs) && !flood.failed;
}

void FloodWithClearMarkExportAndClose() {
    const long count = kFloodLines;
    if (!CHECK_MSG(FileExists(SendTool()), SendTool() + " is missing"))
        return;
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK(IsWindowVisible(viewer));
    const std::string exported = run.Folder() + "export.txt";

    Flood flood;
    flood.viewer = viewer;
    flood.count = count;
    const DWORD start = GetTickCount();
    FloodThread thread(flood);
    if (!CHECK(thread.Started()))
        return;

    // Clear, as the toolbar button: nothing printed before the click is left.
    if (!CHECK_MSG(WaitForSent(flood, count / 4, 120000), flood.why))
        return;
    const long beforeClear = Sent(flood);
    CHECK(ClickControl(viewer, kPbClear));
    std::string pane;
    CHECK(ReadPane(viewer, pane));
    TailReport report = CheckTail(pane, 1);
    CHECK_MSG(report.error.empty(), "after Clear: " + report.error);
    CHECK_MSG(report.first[0] == -1 || report.first[0] >= beforeClear,
              "after Clear the pane still starts at line " + std::to_string(report.first[0]) +
                  ", printed before the click: " + std::to_string(beforeClear));

    // Mark, as the menu item: one marker line among the numbered ones.
    if (!CHECK_MSG(WaitForSent(flood, count / 2, 120000), flood.why))
        return;
    CHECK(ChooseCommand(viewer, kMnuMark));
    CHECK(ReadPane(viewer, pane));
    report = CheckTail(pane, 1);
    CHECK_MSG(report.error.empty(), "after Mark: " + report.error);
    CHECK_EQ(report.marks, 1u);

    // Export, as a second client's SAVETOFILE (the Export dialog is driven in e2e-ui): a snapshot of whole
    // lines, taken between two of the flood's lines.
    if (!CHECK_MSG(WaitForSent(flood, count * 3 / 4, 120000), flood.why))
        return;
    const long beforeExport = Sent(flood);
    const ProgramResult saved =
        RunProgram("\"" + SendTool() + "\" --save \"" + exported + "\"", run.Folder(), "", 30000);
    const long afterExport = Sent(flood);
    CHECK_MSG(saved.ended && saved.exitCode == 0, "dravik-send --save: " + saved.output);
    std::string snapshot;
    CHECK(ReadFileBytes(exported, snapshot));
    const TailReport inExport = CheckTail(snapshot, 1);
    CHECK_MSG(inExport.error.empty(), "export: " + inExport.error);
    CHECK_MSG(inExport.last[0] >= beforeExport - 1 && inExport.last[0] <= afterExport,
              "the export ends at line " + std::to_string(inExport.last[0]) + ", taken between " +
                  std::to_string(beforeExport) + " and " + std::to_string(afterExport));

    if (!CHECK_MSG(thread.Join(150000), "the flood did not end"))
        return;
    CHECK_MSG(!flood.failed, flood.why);
    const DWORD elapsed = GetTickCount() - start;

    // No more prints: the pane now is what the close must write.
    CHECK(run.Running());
    CHECK(ReadPane(viewer, pane));
    report = CheckTail(pane, 1);
    CHECK_MSG(report.error.empty(), "pane at the end: " + report.error);
    CHECK_EQ(report.last[0], count - 1);
    CHECK(run.Close());
    std::string log;
    CHECK(ReadFileBytes(run.LogPath(), log));
    CHECK_MSG(log == pane, "the log differs from the pane" + FirstDifference(log, pane));

    Figure("flood_lines_sent", Sent(flood));
    Figure("flood_ms", elapsed);
    Figure("flood_lines_per_second", elapsed > 0 ? Sent(flood) * 1000LL / elapsed : 0);
    Figure("flood_lines_whole_in_pane", static_cast<long long>(report.wholeLines));
    Figure("flood_export_lines", static_cast<long long>(inExport.wholeLines));
    Figure("flood_log_equals_pane", log == pane ? 1 : 0);
    Result("flood of " + std::to_string(count) + " lines with Clear, Mark, SAVETOFILE and close",
           std::to_string(Sent(flood)) + " lines taken in " + std::to_string(elapsed) +
               " ms; Clear left no earlier line; one marker line; the export holds " +
               std::to_string(inExport.wholeLines) + " whole lines in order; the log at close " +
               (log == pane ? "equals" : "differs from") + " the pane");
}

} // namespace

int main() {
    RunTest("eight senders at once", EightSendersAtOnce);
    RunTest("flood with Clear, Mark, Export and close", FloodWithClearMarkExportAndClose);
    return Finish();
}
