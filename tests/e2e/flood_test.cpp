// A flood of prints with the window visible: the pane ends with exactly the text that applying each
// message in turn gives, and what the user types meanwhile is kept.
#include "ReferencePane.h"
#include "harness/fixture.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace e2e;

namespace {

bool SendFlood(HWND viewer, Region& region, TReferencePane& reference, int lines, std::uint32_t& seed,
               int& number) {
    for (int i = 0; i < lines; ++i, ++number) {
        const std::string line = FloodLine(seed, number, 160);
        if (!PrintThrough(region, viewer, line))
            return false;
        reference.Print(line);
    }
    return true;
}

void AFloodEndsWithTheTextOfPrintingMessageByMessage() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK(IsWindowVisible(viewer) != FALSE);
    Region region = Region::Open();
    if (!CHECK(region.Valid()))
        return;

    TReferencePane reference;
    std::uint32_t seed = 7;
    int number = 0;
    // Several thousand lines cross the capacity many times over; the pane is read now and then, which
    // must find it in step each time.
    for (int round = 0; round < 4; ++round) {
        if (!CHECK(SendFlood(viewer, region, reference, 1500, seed, number)))
            return;
        CHECK_EQ(PaneText(viewer), reference.Text);
    }

    // What the user types into the pane between prints stays, and the next print starts a new line.
    const HWND pane = FindPane(viewer);
    const LRESULT end = SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(pane, EM_SETSEL, static_cast<WPARAM>(end), end);
    for (const char key : std::string("typed"))
        SendMessageA(pane, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(key)), 1);
    reference.Text += "typed";
    if (!CHECK(SendFlood(viewer, region, reference, 500, seed, number)))
        return;
    CHECK_EQ(PaneText(viewer), reference.Text);

    // Text another program puts into the pane is the pane's text from then on.
    SendMessageA(pane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("set from outside\r\n"));
    reference.Text = "set from outside\r\n";
    if (!CHECK(SendFlood(viewer, region, reference, 3, seed, number)))
        return;
    CHECK_EQ(PaneText(viewer), reference.Text);

    // The log written at close holds the same text.
    CHECK(run.Close());
    CHECK_EQ(FileOrAbsent(run.LogPath()), reference.Text);
}

// A viewer ended at once in the middle of a flood (as the task manager ends it) loses at most the last second
// of its history: the history holds the lines from the first on, in order and each once, up to one printed
// less than a second before the end, and nothing that was not printed. A last entry cut off by the end is
// part of that second.
void AViewerEndedDuringAFloodLosesAtMostTheLastSecondOfHistory() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    Region region = Region::Open();
    if (!CHECK(region.Valid()))
        return;
    std::vector<std::string> sent;
    std::vector<DWORD> answered;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 3000) {
        const std::string line = "flood " + std::to_string(sent.size() + 1) + " " + Filler(60, sent.size());
        if (!CHECK(PrintThrough(region, viewer, line)))
            return;
        sent.push_back(line);
        answered.push_back(GetTickCount());
    }
    const DWORD ended = GetTickCount();
    run.Terminate();

    std::vector<std::string> entries = HistoryEntries(run.LogPath());
    if (!entries.empty() && entries.back().compare(0, 12, "<malformed> ") == 0)
        entries.pop_back();
    std::size_t kept = 0;
    while (kept < entries.size() && kept < sent.size() && entries[kept] == "client\t" + sent[kept])
        ++kept;
    CHECK_MSG(kept == entries.size(), "entry " + std::to_string(kept + 1) + " is not the line printed then");
    std::size_t due = 0;
    while (due < sent.size() && ended - answered[due] > 1000)
        ++due;
    CHECK_MSG(kept >= due, std::to_string(sent.size()) + " lines printed, " + std::to_string(due) +
                               " of them a second before the end, " + std::to_string(kept) +
                               " in the history");
    std::printf("  %zu lines printed, %zu in the history\n", sent.size(), kept);
}

} // namespace

int main() {
    RunTest("a flood ends with the text of printing message by message",
            AFloodEndsWithTheTextOfPrintingMessageByMessage);
    RunTest("a viewer ended during a flood loses at most the last second of its history",
            AViewerEndedDuringAFloodLosesAtMostTheLastSecondOfHistory);
    return Finish();
}
