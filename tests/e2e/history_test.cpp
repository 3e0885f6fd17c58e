// The History window: opened by the menu and by Ctrl+F, one per viewer, owned by the main window; the rows
// of a history written before the viewer starts, in Unicode; Find, Filter, Follow, Copy and Export; a log
// switch; a flood from four clients while it is open; closed with the viewer.
#include "harness/fixture.h"
#include "harness/history_window.h"
#include "harness/process.h"

#include <commctrl.h>

#include <cstdio>
#include <set>
#include <vector>

using namespace e2e;

namespace {

const int kRows = 300;
const char* const kOrigins[] = {"client", "4242 app.exe", "viewer", "7 tool.exe"};
const char* const kTexts[] = {"Привет мир", "Ωμέγα κείμενο", "日本語のテキスト", "plain ascii",
                              "ERROR disk", "tab\tinside",   "Grüße aus Köln",   "emoji \xF0\x9F\x98\x80"};

// Row i of the history written before the start: "time<TAB>origin<TAB>text".
std::string RowText(int i) {
    char time[32];
    std::snprintf(time, sizeof time, "2026-12-01 %02d:%02d:%02d.%03d", 8 + i / 3600, i / 60 % 60, i % 60,
                  i % 1000);
    return std::string(time) + "\t" + kOrigins[i % 4] + "\t" + kTexts[i % 8] + " " + std::to_string(i);
}

std::vector<std::string> AllRowTexts() {
    std::vector<std::string> rows;
    for (int i = 0; i < kRows; ++i)
        rows.push_back(RowText(i));
    return rows;
}

bool WriteHistory(const std::string& folder, const std::string& name, int first, int count) {
    std::string bytes;
    for (int i = first; i < first + count; ++i)
        bytes += RowText(i) + "\r\n";
    return WriteHistoryFile(folder, name, bytes);
}

// The code points of UTF-8 text, for a matcher that takes "?" as one character.
std::u32string CodePoints(const std::string& utf8) {
    const std::wstring wide = Wide(utf8);
    std::u32string points;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t point = wide[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < wide.size())
            point = 0x10000 + ((point - 0xD800) << 10) + (wide[++i] - 0xDC00);
        points.push_back(point < 0x80 && point >= 'A' && point <= 'Z' ? point + 32 : point);
    }
    return points;
}

bool MatchesHere(const std::u32string& text, std::size_t at, const std::u32string& pattern, std::size_t p) {
    if (p == pattern.size())
        return true;
    if (pattern[p] == U'*') {
        for (std::size_t from = at; from <= text.size(); ++from)
            if (MatchesHere(text, from, pattern, p + 1))
                return true;
        return false;
    }
    return at < text.size() && (pattern[p] == U'?' || pattern[p] == text[at]) &&
           MatchesHere(text, at + 1, pattern, p + 1);
}

// A plain reading of the Filter's rule for the test's own rows (ASCII letters without regard to case).
bool Contains(const std::string& field, const std::string& term) {
    const std::u32string text = CodePoints(field), pattern = CodePoints(term);
    for (std::size_t at = 0; at <= text.size(); ++at)
        if (MatchesHere(text, at, pattern, 0))
            return true;
    return false;
}

std::vector<std::string> Shown(const std::vector<std::string>& includes,
                               const std::vector<std::string>& excludes) {
    std::vector<std::string> shown;
    for (int i = 0; i < kRows; ++i) {
        const std::string origin = kOrigins[i % 4],
                          text = std::string(kTexts[i % 8]) + " " + std::to_string(i);
        const auto found = [&](const std::string& term) {
            return Contains(origin, term) || Contains(text, term);
        };
        bool show = includes.empty();
        for (const std::string& term : includes)
            show = show || found(term);
        for (const std::string& term : excludes)
            show = show && !found(term);
        if (show)
            shown.push_back(RowText(i));
    }
    return shown;
}

std::string Joined(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows)
        text += row + "\r\n";
    return text;
}

struct HistoryWindowSearch {
    DWORD processId;
    int count;
};

// A function of the system's calling convention: a lambda is not one in a 32-bit build.
BOOL CALLBACK CountHistoryWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<HistoryWindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[32] = {};
    if (owner == search->processId && GetClassNameW(window, name, 32) > 0 &&
        std::wstring(name) == L"TfrmHistory")
        ++search->count;
    return TRUE;
}

int HistoryWindowCount(DWORD processId) {
    HistoryWindowSearch search{processId, 0};
    EnumWindows(CountHistoryWindow, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

bool Topmost(HWND window) {
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

HWND Control(HWND history, int id) {
    return GetDlgItem(history, id);
}

// A key pressed in one of the History window's controls, as the user presses it.
bool PressIn(HWND history, int id, const std::vector<WORD>& modifiers, WORD key) {
    return FocusWindow(history, Control(history, id)) && PressKeys(modifiers, key);
}

bool WaitForSelected(const HistoryList& list, int row) {
    return WaitFor([&] { return list.Selected() == row && list.SelectedCount() == 1; }, 5000);
}

bool LastRowInView(const HistoryList& list) {
    return list.TopRow() + list.RowsPerPage() >= list.Count();
}

// Opens the window by the menu and by Ctrl+F; its owner, Stay on Top, its place kept, one window only.
HWND OpenByMenuAndShortcut(ViewerRun& run) {
    const HWND viewer = run.Window();
    if (!CHECK(ChooseFromMenu(viewer, run.ProcessId(), 'h')))
        return nullptr;
    HWND history = WaitForHistoryWindow(run.ProcessId());
    if (!CHECK_MSG(history != nullptr, "the menu item opened no History window"))
        return nullptr;
    wchar_t title[64] = {};
    GetWindowTextW(history, title, 64);
    CHECK_EQ(Utf8(title), "History - Korvane Dravik");
    CHECK(GetWindow(history, GW_OWNER) == viewer);
    CHECK(WaitFor([&] { return FocusOf(history) == Control(history, kHistoryFind); }, 3000));
    for (int id : {kHistoryList, kHistoryFind, kHistoryFilter, kHistoryStatus, kHistoryExport})
        CHECK_MSG(Control(history, id) != nullptr, "control " + std::to_string(id));
    wchar_t listClass[64] = {};
    GetClassNameW(Control(history, kHistoryList), listClass, 64);
    CHECK_EQ(Utf8(listClass), "SysListView32");

    // Stay on Top takes the History window along, both ways.
    CHECK(Topmost(viewer) && Topmost(history));
    CHECK(ChooseCommand(viewer, kMnuFloat));
    CHECK(!Topmost(viewer) && !Topmost(history));
    CHECK(ChooseCommand(viewer, kMnuFloat));
    CHECK(Topmost(viewer) && Topmost(history));

    // Its place is kept in the settings when it closes, and taken when it opens again: here by Ctrl+F.
    CHECK(SetWindowPos(history, nullptr, 40, 50, 720, 430, SWP_NOZORDER | SWP_NOACTIVATE));
    PostMessageW(history, WM_CLOSE, 0, 0);
    CHECK(WaitFor([&] { return !IsWindow(history); }, 5000));
    CHECK_EQ(SettingOrAbsent("HistoryLeft"), "40");
    CHECK_EQ(SettingOrAbsent("HistoryTop"), "50");
    CHECK_EQ(SettingOrAbsent("HistoryWidth"), "720");
    CHECK_EQ(SettingOrAbsent("HistoryHeight"), "430");
    CHECK(FocusWindow(viewer, FindPane(viewer)) && PressKeys({VK_CONTROL}, 'F'));
    history = WaitForHistoryWindow(run.ProcessId());
    if (!CHECK_MSG(history != nullptr, "Ctrl+F in the pane opened no History window"))
        return nullptr;
    CheckPlacement(history, 40, 50, 720, 430);
    CHECK(WaitFor([&] { return FocusOf(history) == Control(history, kHistoryFind); }, 3000));

    // Asked again, the open window comes to the front; there is never a second.
    CHECK(FocusWindow(viewer, FindPane(viewer)));
    CHECK(ChooseFromMenu(viewer, run.ProcessId(), 'h'));
    CHECK(WaitFor([&] { return GetForegroundWindow() == history; }, 3000));
    CHECK_EQ(HistoryWindowCount(run.ProcessId()), 1);
    return history;
}

void FindForwardBackwardAndAround(HWND history, const HistoryList& list) {
    // From the selected row on, that row included while typing; without regard to case.
    CHECK(list.SelectRow(0));
    CHECK(SetHistoryBox(history, kHistoryFind, "привет"));
    CHECK(WaitForSelected(list, 0));
    CHECK(WaitForHistoryStatus(history, "Line 1 of 300"));
    const struct {
        int Id;
        std::vector<WORD> Modifiers;
        WORD Key;
        int Selected;
    } presses[] = {
        {kHistoryFind, {}, VK_F3, 8},           {kHistoryFind, {VK_SHIFT}, VK_F3, 0},
        {kHistoryFind, {VK_SHIFT}, VK_F3, 296}, // around the top, to the last
        {kHistoryFind, {}, VK_F3, 0},           // around the end, to the first
        {kHistoryFind, {}, VK_RETURN, 8},       {kHistoryList, {}, VK_F3, 16},
        {kHistoryList, {VK_SHIFT}, VK_F3, 8},
    };
    for (const auto& press : presses) {
        CHECK(PressIn(history, press.Id, press.Modifiers, press.Key));
        CHECK_MSG(WaitForSelected(list, press.Selected), "expected row " + std::to_string(press.Selected) +
                                                             ", selected " + std::to_string(list.Selected()));
        CHECK(WaitForHistoryStatus(history, "Line " + std::to_string(press.Selected + 1) + " of 300"));
    }
    // The origin counts too; text that no row holds leaves the selection where it was.
    CHECK(SetHistoryBox(history, kHistoryFind, "TOOL.EXE"));
    CHECK(WaitForSelected(list, 11));
    CHECK(SetHistoryBox(history, kHistoryFind, "nowhere at all"));
    CHECK(WaitForHistoryStatus(history, "Not found"));
    CHECK_EQ(list.Selected(), 11);
    CHECK(SetHistoryBox(history, kHistoryFind, ""));
}

void FilterCopyAndExport(ViewerRun& run, HWND history, const HistoryList& list) {
    const struct {
        const char* Terms;
        std::vector<std::string> Includes;
        std::vector<std::string> Excludes;
    } filters[] = {
        {"error; grüße", {"error", "grüße"}, {}},
        {"-client;-viewer", {}, {"client", "viewer"}},
        {"日本*テキスト 1?;-*5", {"日本*テキスト 1?"}, {"*5"}},
        {"a?p.exe;-Ωμέγα", {"a?p.exe"}, {"Ωμέγα"}},
    };
    for (const auto& filter : filters) {
        const std::vector<std::string> expected = Shown(filter.Includes, filter.Excludes);
        CHECK(SetHistoryBox(history, kHistoryFilter, filter.Terms));
        const std::string status = std::to_string(expected.size()) + " of 300 lines shown";
        CHECK_MSG(WaitFor(
                      [&] {
                          return HistoryStatus(history).rfind(status, 0) == 0 &&
                                 list.Count() == static_cast<int>(expected.size());
                      },
                      5000),
                  std::string(filter.Terms) + ": " + HistoryStatus(history));
        CHECK_EQ(list.AllRows(), expected);
    }

    // Copy: Ctrl+A and Ctrl+C in the list put the rows shown on the clipboard in the history's format.
    const std::vector<std::string> shown = Shown({"a?p.exe"}, {"Ωμέγα"});
    CHECK(PressIn(history, kHistoryList, {VK_CONTROL}, 'A'));
    CHECK(WaitFor([&] { return list.SelectedCount() == static_cast<int>(shown.size()); }, 5000));
    const DWORD before = GetClipboardSequenceNumber();
    CHECK(PressIn(history, kHistoryList, {VK_CONTROL}, 'C'));
    std::string copied;
    CHECK(WaitForUnicodeClipboard(before, copied, 5000));
    CHECK_EQ(copied, Joined(shown));

    // Export: the rows shown into a UTF-8 file the save dialog names; a file that cannot be made is the
    // viewer's file error.
    const std::string exported = run.Folder() + "exported.txt";
    PostMessageW(Control(history, kHistoryExport), BM_CLICK, 0, 0);
    HWND dialog = WaitForDialog(run.ProcessId(), "Save");
    if (CHECK_MSG(dialog != nullptr, "Export... showed no save dialog"))
        CHECK(ConfirmFileDialog(dialog, exported));
    CHECK(WaitForHistoryStatus(history, std::to_string(shown.size()) + " lines exported"));
    CHECK_EQ(FileOrAbsent(exported), Joined(shown));
    const std::string unwritable = run.Folder() + "no such folder\\exported.txt";
    PostMessageW(Control(history, kHistoryExport), BM_CLICK, 0, 0);
    dialog = WaitForDialog(run.ProcessId(), "Save");
    if (CHECK_MSG(dialog != nullptr, "Export... showed no save dialog the second time"))
        CHECK(ConfirmFileDialog(dialog, unwritable));
    CheckFileErrorBox(TakeBox(run.ProcessId()), "Cannot create file ", unwritable,
                      "an export into no folder");

    CHECK(SetHistoryBox(history, kHistoryFilter, ""));
    CHECK(WaitFor([&] { return list.Count() == kRows; }, 5000));
}

// New rows scroll into view while the last row is; once an earlier row is selected the view stays and the
// status counts what arrives; End follows again. The rows come in a file written as the writer does.
void FollowTheNewRows(ViewerRun& run, HWND history, const HistoryList& list) {
    const std::string folder = run.Folder() + "DebugLog.txt.history";
    std::string later;
    const auto append = [&](int first, int count) {
        for (int i = first; i < first + count; ++i)
            later += RowText(i) + "\r\n";
        return WriteHistoryFile(folder, "20991231-235959.txt", later);
    };
    // The rows the viewer's own history file holds by now come before these.
    const int base = list.Count();
    CHECK(PressIn(history, kHistoryList, {}, VK_END));
    CHECK(append(kRows, 5));
    CHECK(WaitFor([&] { return list.Count() == base + 5; }, 5000));
    CHECK(WaitFor([&] { return LastRowInView(list); }, 3000));
    CHECK_EQ(list.Row(base + 4), RowText(kRows + 4));

    CHECK(list.SelectRow(3));
    CHECK(append(kRows + 5, 3));
    CHECK(WaitFor([&] { return list.Count() == base + 8; }, 5000));
    CHECK(WaitForHistoryStatus(history, "3 new lines below"));
    CHECK_EQ(list.TopRow(), 3);

    CHECK(PressIn(history, kHistoryList, {}, VK_END));
    CHECK(WaitForSelected(list, base + 7));
    CHECK(append(kRows + 8, 2));
    CHECK(WaitFor([&] { return list.Count() == base + 10 && LastRowInView(list); }, 5000));
    CHECK(HistoryStatus(history).find("new line") == std::string::npos);
}

// Four clients print at once while the window is open: every line reaches the list, in each client's order.
void FloodFromFourClients(ViewerRun& run, const HistoryList& list) {
    CHECK_SENT(Print(run.Window(), "history writer probe"));
    if (!CHECK(WaitFor([&] { return list.Text(list.Count() - 1) == "history writer probe"; }, 5000)))
        return;
    const int clients = 4;
    const int linesEach = 2000;
    const int before = list.Count();
    std::vector<StartedProgram> programs;
    for (int c = 0; c < clients; ++c) {
        std::string input;
        for (int k = 0; k < linesEach; ++k)
            input += "flood " + std::to_string(c) + " " + std::to_string(k) + "\r\n";
        CHECK(WriteFileBytes(run.Folder() + "flood" + std::to_string(c) + ".txt", input));
    }
    for (int c = 0; c < clients; ++c)
        programs.push_back(StartFedProgram("\"" + SendTool() + "\" -",
                                           run.Folder() + "flood" + std::to_string(c) + ".txt",
                                           run.Folder() + "sent" + std::to_string(c) + ".txt"));
    for (StartedProgram& program : programs)
        CHECK(program.Wait(120000) && program.ExitCode() == 0);
    CHECK(WaitFor([&] { return list.Count() >= before + clients * linesEach; }, 15000));
    std::vector<int> next(clients, 0);
    for (int row = before; row < list.Count(); ++row) {
        int c = -1, k = -1;
        if (std::sscanf(list.Text(row).c_str(), "flood %d %d", &c, &k) != 2 || c < 0 || c >= clients) {
            continue;
        }
        CHECK_MSG(k == next[c], "client " + std::to_string(c) + ": line " + std::to_string(k) + " where " +
                                    std::to_string(next[c]) + " was due");
        next[c] = k + 1;
    }
    for (int c = 0; c < clients; ++c)
        CHECK_EQ(next[c], linesEach);
}

// A switch of the log file: the window shows the new log's history.
void FollowALogSwitch(ViewerRun& run, HWND history, const HistoryList& list) {
    const std::string other = run.Folder() + "other";
    CreateDirectoryA(other.c_str(), nullptr);
    CHECK(WriteHistory(other + "\\second.txt.history", "20261130-070000.txt", 1000, 10));
    CHECK_SENT(SendCommand(run.Window(), kSetLogFile, other + "\\second.txt"));
    CHECK(WaitFor([&] { return list.Count() == 10; }, 5000));
    CHECK_EQ(list.Row(0), RowText(1000));
    CHECK(WaitForHistoryStatus(history, "10 of 10 lines shown"));
}

void TheHistoryWindow() {
    ViewerRun run;
    const std::string folder = run.Folder() + "DebugLog.txt.history";
    if (!CHECK(WriteHistory(folder, "20261201-080000.txt", 0, 200)) ||
        !CHECK(WriteHistory(folder, "20261201-090000.txt", 200, kRows - 200)) || !StartFirstRun(run))
        return;
    CHECK(IsWindowVisible(run.Window()));
    const HWND history = OpenByMenuAndShortcut(run);
    if (!history)
        return;
    const HistoryList list(history, run.Process());
    if (!CHECK(list.Ready()))
        return;

    // Every line of the folder, oldest first, in Unicode; the last in view.
    CHECK(WaitFor([&] { return list.Count() == kRows; }, 10000));
    CHECK_EQ(list.AllRows(), AllRowTexts());
    CHECK(WaitForHistoryStatus(history, "300 of 300 lines shown"));
    CHECK(LastRowInView(list));

    FindForwardBackwardAndAround(history, list);
    FilterCopyAndExport(run, history, list);
    // Before the rows of a file of the test's own come after the writer's: the writer's file is then
    // an older one, which the window no longer reads.
    FloodFromFourClients(run, list);
    FollowTheNewRows(run, history, list);
    FollowALogSwitch(run, history, list);

    // Closing the viewer closes the window.
    CHECK(run.Close());
    CHECK(!IsWindow(history));
}

} // namespace

int main() {
    RunTest("the History window", TheHistoryWindow);
    return Finish();
}
