// A viewer ended without its close sequence, as the task manager or a crash ends it: the next start shows
// the pane as it stood at most a second before the end, from the recovery file beside the log, and the
// next close puts it into the log and removes that file.
#include "ReferencePane.h"
#include "harness/faults.h"
#include "harness/fixture.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace e2e;

namespace {

const std::string kRecovered = "***** Recovered after the viewer ended without closing *****\r\n";
// Lines answered longer ago than this when the viewer ends must all come back.
const DWORD kPromisedMs = 1000;

std::string CopyPath(const std::string& log) {
    return log + ".recover";
}

// Ends the viewer without warning and starts it again from its folder.
bool EndAndRestart(ViewerRun& run) {
    run.Terminate();
    return CHECK_MSG(!run.Running(), "the viewer did not end") && StartViewer(run);
}

// A close that writes the pane into the log and leaves no recovery file behind.
void CheckCleanClose(ViewerRun& run, const std::string& log) {
    const std::string pane = PaneText(run.Window());
    CHECK(run.Close());
    CHECK_EQ(FileOrAbsent(log), pane);
    CHECK_EQ(FileOrAbsent(CopyPath(log)), "<absent>");
}

// Checks that text is one line of the viewer's note that the recovery file cannot be written.
bool IsNotSurvivingLine(const std::string& line, const std::string& copy) {
    const std::string prefix = "***** Cannot write the recovery file ";
    const std::string suffix = ": output would not survive a crash *****\r\n";
    return line.size() == prefix.size() + copy.size() + suffix.size() &&
           line.compare(0, prefix.size(), prefix) == 0 &&
           SameFileName(line.substr(prefix.size(), copy.size()), copy) &&
           line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void AnEndedViewerComesBackWithItsPane() {
    if (!CHECK(DeleteSettings()))
        return;
    ViewerRun run;
    if (!CHECK(run.Prepared()) || !CHECK(WriteFileBytes(run.LogPath(), "yesterday\r\n")) || !StartViewer(run))
        return;
    std::string expected = "yesterday\r\n";
    for (int i = 1; i <= 20; ++i) {
        const std::string line = "line " + std::to_string(i);
        CHECK_SENT(Print(run.Window(), line));
        expected += line + "\r\n";
    }
    Sleep(kPromisedMs + 200);
    if (!EndAndRestart(run))
        return;
    CHECK_EQ(FileOrAbsent(run.LogPath()), "yesterday\r\n");
    CHECK_EQ(PaneText(run.Window()), expected + kRecovered);

    // A cleared pane comes back cleared.
    CHECK_SENT(Print(run.Window(), "before the clear"));
    CHECK_SENT(Clear(run.Window()));
    CHECK_SENT(Print(run.Window(), "after the clear"));
    Sleep(kPromisedMs + 200);
    if (!EndAndRestart(run))
        return;
    CHECK_EQ(PaneText(run.Window()), "after the clear\r\n" + kRecovered);

    // A copy that another program holds (it lets others read it, no more) can neither take the last lines
    // at the close nor be removed after it: the log written after it outranks it at the next start.
    const std::string beforeA = PaneText(run.Window());
    CHECK_SENT(Print(run.Window(), "A"));
    Sleep(kPromisedMs + 200);
    LockedFile reader(CopyPath(run.LogPath()), false, FILE_SHARE_READ);
    CHECK(reader.Held());
    CHECK_SENT(Print(run.Window(), "B"));
    CHECK(run.Close());
    reader.Release();
    CHECK_EQ(FileOrAbsent(run.LogPath()), beforeA + "A\r\nB\r\n");
    if (!StartViewer(run))
        return;
    CHECK_EQ(PaneText(run.Window()), beforeA + "A\r\nB\r\n");
    CheckCleanClose(run, run.LogPath());
}

void AfterALogSwitchTheNewLogComesBack() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const std::string other = run.Folder() + "other.txt";
    CHECK_SENT(Print(run.Window(), "before the switch"));
    Sleep(kPromisedMs);
    CHECK_EQ(FileOrAbsent(CopyPath(run.LogPath())), "before the switch\r\n");
    CHECK_SENT(SendCommand(run.Window(), kSetLogFile, other));
    CHECK_EQ(FileOrAbsent(run.LogPath()), "before the switch\r\n");
    CHECK_EQ(FileOrAbsent(CopyPath(run.LogPath())), "<absent>");
    CHECK_SENT(Print(run.Window(), "after the switch"));
    Sleep(kPromisedMs + 200);
    if (!EndAndRestart(run))
        return;
    CHECK_EQ(FileOrAbsent(other), "<absent>");
    CHECK_EQ(PaneText(run.Window()), "before the switch\r\nafter the switch\r\n" + kRecovered);
    CheckCleanClose(run, other);
    CHECK_EQ(FileOrAbsent(run.LogPath()), "before the switch\r\n");

    // A log with the longest name whose copy's name the system still takes (MAX_PATH less its zero): the
    // copy is written all the same.
    if (!StartViewer(run))
        return;
    const std::size_t longestCopy = MAX_PATH - 1;
    const std::string longest =
        run.Folder() + std::string(longestCopy - std::string(".recover").size() - run.Folder().size(), 'l');
    CHECK_SENT(SendCommand(run.Window(), kSetLogFile, longest));
    CHECK_SENT(Print(run.Window(), "under the longest name"));
    CHECK(WaitFor([&] { return FileOrAbsent(CopyPath(longest)) == PaneText(run.Window()); },
                  kPromisedMs + 500));
    CHECK_MSG(PaneText(run.Window()).find("Cannot write the recovery file") == std::string::npos,
              Printable(PaneText(run.Window())));
    CheckCleanClose(run, longest);
}

void ACopyThatCannotBeReadIsKept() {
    if (!CHECK(DeleteSettings()))
        return;
    ViewerRun run;
    const std::string copy = CopyPath(run.LogPath());
    if (!CHECK(run.Prepared()) || !CHECK(WriteFileBytes(run.LogPath(), "older\r\n")) ||
        !CHECK(WriteFileBytes(copy, "the only copy\r\n")))
        return;
    LockedFile lock(copy, false);
    if (!CHECK(lock.Held()) || !StartViewer(run, false))
        return;
    if (!CheckFileErrorBox(TakeBox(run.ProcessId()), "Cannot open file ", copy, "the held recovery file"))
        return;
    CHECK(run.WaitVisible());
    lock.Release();

    CHECK_SENT(Print(run.Window(), "new output"));
    Sleep(kPromisedMs + 200);
    CHECK_EQ(FileOrAbsent(copy), "the only copy\r\n");
    CHECK(run.Close());
    CHECK_EQ(FileOrAbsent(run.LogPath()), "older\r\n");
    CHECK_EQ(FileOrAbsent(copy), "the only copy\r\n");
}

void ACopyThatCannotBeWrittenIsToldOnce() {
    ViewerRun run;
    const std::string copy = CopyPath(run.LogPath());
    // A folder of that name: the copy cannot take its place.
    if (!CHECK(CreateDirectoryA(copy.c_str(), nullptr)) || !StartFirstRun(run))
        return;
    CHECK_SENT(Print(run.Window(), "one"));
    std::string pane;
    WaitFor([&] { return ReadPane(run.Window(), pane) && pane.size() > 5; }, 3000);
    Sleep(kPromisedMs + 500);
    CHECK_SENT(Print(run.Window(), "two"));
    Sleep(kPromisedMs + 200);
    pane = PaneText(run.Window());
    CHECK_MSG(pane.compare(0, 5, "one\r\n") == 0 && pane.size() > 10 &&
                  IsNotSurvivingLine(pane.substr(5, pane.size() - 10), copy) &&
                  pane.compare(pane.size() - 5, 5, "two\r\n") == 0,
              Printable(pane));

    // Once the copy can be written, it is: the quiet pane as it stands comes back after an end.
    CHECK(RemoveDirectoryA(copy.c_str()));
    Sleep(3 * kPromisedMs);
    if (!EndAndRestart(run))
        return;
    CHECK_EQ(PaneText(run.Window()), pane + kRecovered);
    CheckCleanClose(run, run.LogPath());
}

struct Ending {
    HANDLE process;
    DWORD afterMs;
    DWORD at;
};

DWORD WINAPI EndLater(void* parameter) {
    Ending& ending = *static_cast<Ending*>(parameter);
    Sleep(ending.afterMs);
    ending.at = GetTickCount();
    TerminateProcess(ending.process, 1);
    return 0;
}

struct SentLine {
    std::string text;
    DWORD answeredAt;
};

// The number of the last flood line in the recovered pane, or -1.
int LastLineNumber(const std::string& recovered) {
    if (recovered.size() < 2)
        return -1;
    const std::size_t start = recovered.rfind("\r\n", recovered.size() - 3);
    const std::size_t from = start == std::string::npos ? 0 : start + 2;
    const std::size_t colon = recovered.find(':', from);
    if (colon == std::string::npos || colon == from)
        return -1;
    for (std::size_t i = from; i < colon; ++i)
        if (recovered[i] < '0' || recovered[i] > '9')
            return -1;
    return std::stoi(recovered.substr(from, colon - from));
}

void EndsDuringAFloodLoseAtMostTheLastSecond() {
    const int kEnds = 6;
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    Region region = Region::Open();
    if (!CHECK(region.Valid()))
        return;
    std::uint32_t seed = 11;
    std::uint32_t timing = 5;
    int number = 0;
    std::string before; // the pane at the start of the round
    int survived = 0;
    long long lost = 0;
    DWORD longestMs = 0;
    for (int end = 0; end < kEnds; ++end) {
        std::vector<SentLine> sent;
        const int first = number;
        timing = timing * 1103515245u + 12345u;
        Ending ending{run.Process(), 1500 + (timing >> 8) % 2000, 0};
        const TKernelHandle ender(CreateThread(nullptr, 0, EndLater, &ending, 0, nullptr));
        if (!CHECK(ender.Valid()))
            return;
        for (;; ++number) {
            sent.push_back({FloodLine(seed, number, 120), 0});
            if (!PrintThrough(region, run.Window(), sent.back().text))
                break;
            sent.back().answeredAt = GetTickCount();
        }
        ++number;
        WaitForSingleObject(ender.Get(), INFINITE);
        if (!CHECK(run.WaitForExit(5000)) || !StartViewer(run))
            return;

        const std::string pane = PaneText(run.Window());
        bool whole =
            CHECK_MSG(pane.size() >= kRecovered.size() &&
                          pane.compare(pane.size() - kRecovered.size(), kRecovered.size(), kRecovered) == 0,
                      "round " + std::to_string(end) + ": the pane does not end with the recovered line");
        const std::string recovered = pane.substr(0, pane.size() - std::min(pane.size(), kRecovered.size()));
        const int last = LastLineNumber(recovered);
        whole = CHECK_MSG(last >= first && last < number,
                          "round " + std::to_string(end) + ": last line " + std::to_string(last)) &&
                whole;
        if (!whole)
            continue;
        // The copy is loaded as a log is, and the recovered line is a print like any other.
        TReferencePane reference;
        reference.Text = before;
        for (int i = first; i <= last; ++i)
            reference.Print(sent[static_cast<std::size_t>(i - first)].text);
        reference.Load(reference.Text);
        reference.Print(kRecovered.substr(0, kRecovered.size() - 2));
        whole = CHECK_EQ(pane, reference.Text) && whole;

        // Lines are answered in order: the oldest one lost is the first after the last one recovered.
        const std::size_t firstLost = static_cast<std::size_t>(last + 1 - first);
        DWORD lostMs = 0;
        if (firstLost < sent.size() && sent[firstLost].answeredAt != 0 &&
            sent[firstLost].answeredAt < ending.at)
            lostMs = ending.at - sent[firstLost].answeredAt;
        for (std::size_t i = firstLost; i < sent.size(); ++i)
            lost += sent[i].answeredAt != 0 ? 1 : 0;
        longestMs = std::max(longestMs, lostMs);
        whole =
            CHECK_MSG(lostMs <= kPromisedMs, "round " + std::to_string(end) + ": a line answered " +
                                                 std::to_string(lostMs) + " ms before the end was lost") &&
            whole;
        survived += whole ? 1 : 0;
        before = pane;
    }
    Figure("recover_ends", kEnds);
    Figure("recover_ends_survived", survived);
    Figure("recover_lines_lost_per_end", (lost + kEnds / 2) / kEnds);
    Figure("recover_longest_ms_lost", longestMs);
    CheckCleanClose(run, run.LogPath());
}

} // namespace

int main() {
    RunTest("an ended viewer comes back with its pane", AnEndedViewerComesBackWithItsPane);
    RunTest("after a log switch the new log comes back", AfterALogSwitchTheNewLogComesBack);
    RunTest("a recovery file that cannot be read is kept", ACopyThatCannotBeReadIsKept);
    RunTest("a recovery file that cannot be written is told once", ACopyThatCannotBeWrittenIsToldOnce);
    RunTest("ends during a flood lose at most the last second", EndsDuringAFloodLoseAtMostTheLastSecond);
    return Finish();
}
