// Start-up and persistence: what the viewer makes of the settings key, and what it leaves there and in its
// log file when it closes.
#include "harness/fixture.h"
#include "harness/steps.h"
#include "harness/ui.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// The pane fills the client area below the toolbar, or all of it while the toolbar is hidden.
void CheckLayout(HWND viewer, bool toolbarShown) {
    const HWND toolbar = FindToolbar(viewer);
    const HWND pane = FindPane(viewer);
    if (!CHECK(toolbar != nullptr && pane != nullptr))
        return;
    CHECK_EQ(IsWindowVisible(toolbar) != FALSE, toolbarShown);
    long top = 0;
    if (toolbarShown) {
        RECT bar = {};
        CHECK(GetWindowRect(toolbar, &bar));
        top = bar.bottom - bar.top;
        CHECK(top > 0);
    }
    RECT client = {};
    RECT place = {};
    CHECK(GetClientRect(viewer, &client));
    CHECK(GetWindowRect(pane, &place));
    MapWindowPoints(nullptr, viewer, reinterpret_cast<POINT*>(&place), 2);
    CHECK_EQ(place.left, 0L);
    CHECK_EQ(place.top, top);
    CHECK_EQ(place.right, client.right);
    CHECK_EQ(place.bottom, client.bottom);
}

Step Layout(bool toolbarShown) {
    return Checks("the layout", [toolbarShown](StepContext& c) { CheckLayout(c.Viewer(), toolbarShown); });
}

const Settings kPlacement = {"Left=200", "Top=150", "Width=500", "Height=400"};
const std::string kPersisted = "persist one\r\npersist two\r\n";

// Saved switches: the window's state at start, and what the viewer writes (LogConnect at start, the others at
// close). A LogConnect left out is absent from an existing key.
Steps SwitchesCase(const Settings& saved, bool topmost, const Settings& written) {
    return Steps({NoSettings(), SetSettings(saved), Start(), Topmost(topmost),
                  Layout(written[1] == "Toolbar=1"), SettingsAre({written[2]}), Close(),
                  SettingsAre(written)});
}

// The values are read Top, Left, Width, Height; the one that is not an integer shows the error box and stops
// the reading, and the viewer goes on running with the placement as far as it was applied.
Steps IntegerErrorCase(const std::string& name, const std::string& value, long left, long top, long width,
                       long height) {
    return Steps({NoSettings(),
                  SetSettings({"Top=30", "Left=20", "Width=500", "Height=400", name + "=" + value}),
                  Start(false), Must(ErrorShown("'" + value + "' is not a valid integer value.")), Shown(),
                  StillRunning(), Placement(left, top, width, height), Print("still running"),
                  PaneIs("still running\r\n"), Close()});
}

// The window maximised ("2") or minimised ("1") as saved.
Step WindowStateIs(const std::string& state) {
    return Expect("window state " + state, [state](StepContext& c) {
        return (IsZoomed(c.Viewer()) != FALSE) == (state == "2") &&
               (IsIconic(c.Viewer()) != FALSE) == (state == "1");
    });
}

// The placement of a window that is not normal is not saved: the normal one stays for the next run.
Steps WindowStateCase(const std::string& state) {
    Settings saved = kPlacement;
    saved.push_back("WindowState=" + state);
    return Steps(
        {NoSettings(), SetSettings(saved), Start(), WindowStateIs(state), Close(), SettingsAre(saved)});
}

// A path of exactly the given length in the run's folder.
std::string PathOfLength(const ViewerRun& run, std::size_t length, char fill) {
    const std::size_t nameLength = length - run.Folder().size();
    return run.Folder() + std::string(nameLength - 4, fill) + ".log";
}

LRESULT FirstVisibleLine(HWND viewer) {
    LRESULT line = -1;
    SendWithTimeout(FindPane(viewer), EM_GETFIRSTVISIBLELINE, 0, 0, line, 5000);
    return line;
}

// A log of `lines` numbered lines, each ended by CR LF.
std::string NumberedLog(int lines) {
    std::string log;
    for (int number = 1; number <= lines; ++number)
        log += "log line " + std::to_string(number) + "\r\n";
    return log;
}

Step FirstVisibleLineIs(bool atTheTop) {
    return Expect(atTheTop ? "the view at the top" : "the view at the end", [atTheTop](StepContext& c) {
        return atTheTop ? FirstVisibleLine(c.Viewer()) == 0 : FirstVisibleLine(c.Viewer()) > 250;
    });
}

// The window answers the clients that find it before it has made its controls and shown itself. What they
// send meanwhile must reach the pane after the log as if the pane had been there all along. The first command
// is answered while the window is still hidden; the next ones wait until it is shown.
void ClientsThatFindTheWindowWhileItStarts() {
    for (const bool clearFirst : {false, true}) {
        std::printf("  case: the first command is %s\n", clearFirst ? "Clear" : "a print");
        ViewerRun run;
        const std::string log = NumberedLog(200);
        if (!CHECK(DeleteSettings()) || !CHECK(run.Prepared()) ||
            !CHECK(WriteFileBytes(run.LogPath(), log)) || !CHECK(run.Launch()))
            return;
        // Looked for without a pause, to be among the clients the start-up answers first.
        HWND viewer = nullptr;
        const DWORD started = GetTickCount();
        while (viewer == nullptr && run.Running() && GetTickCount() - started < 15000)
            viewer = FindViewerWindow(run.ProcessId());
        if (!CHECK(viewer != nullptr && run.WaitForWindow() && run.Window() == viewer))
            return;
        const bool hidden = IsWindowVisible(viewer) == FALSE;
        std::string expected = log;
        if (clearFirst) {
            CHECK_SENT(Clear(viewer));
            expected.clear();
        }
        for (int number = 1; number <= 20; ++number) {
            const std::string line = "early " + std::to_string(number);
            CHECK_SENT(Print(viewer, line));
            expected += line + "\r\n";
        }
        std::printf("  the window was %s when the first command was sent\n", hidden ? "hidden" : "shown");
        if (!CHECK(run.WaitVisible()))
            return;
        CHECK_EQ(CountEditChildren(viewer), 1);
        CHECK_EQ(PaneText(viewer), expected);
        CheckLayout(viewer, true);
        CHECK(run.Close());
        CHECK_EQ(FileOrAbsent(run.LogPath()), expected);
    }
}

// LogFile set to a name of exactly the given length in the run's folder, a file that holds text; LogFile
// still that name; LogFile as a REG_BINARY value without a type's meaning.
Step LongLogName(std::size_t length, char fill, const std::string& text) {
    return Expect("LogFile of " + std::to_string(length) + " characters", [=](StepContext& c) {
        return WriteFileBytes(PathOfLength(c.Run(), length, fill), text) &&
               SetSetting("LogFile", PathOfLength(c.Run(), length, fill));
    });
}

Step LogFileIsLongName(std::size_t length, char fill) {
    return {"LogFile", [=](StepContext& c) {
                return Mismatch(SettingOrAbsent("LogFile"), PathOfLength(c.Run(), length, fill));
            }};
}

Step BinaryLogFile(const std::string& path) {
    return Expect("LogFile as REG_BINARY", [path](StepContext& c) {
        return SetSettingRaw("LogFile", REG_BINARY, c.Expand(path) + std::string(1, '\0'));
    });
}

const std::string kFallback = "from the default log\r\n";

// A history file of an earlier run: entries of 100 bytes each.
std::string EarlierHistory(std::size_t entries) {
    const std::string entry = "2020-01-01 00:00:00.000\tclient\t" + std::string(66, 'e') + "\r\n";
    std::string bytes;
    for (std::size_t i = 0; i < entries; ++i)
        bytes += entry;
    return bytes;
}

// A file for each start, and for a log switched to one in that log's folder. At a start the oldest history
// files go until the folder keeps within "HistoryLimitMB" (1 MiB here, the file being written counted at the
// half of it that it may grow to); files of other names stay as they are. "0" keeps no history at all.
void TheHistoryStartsAFileEachRunWithinItsLimit() {
    ViewerRun run;
    const std::string folder = HistoryFolder(run.LogPath());
    const std::string notes = std::string(600 * 1024, 'x');
    if (!CHECK(run.Prepared()) || !CHECK(DeleteSettings()) || !CHECK(SetSetting("HistoryLimitMB", "1")) ||
        !CHECK(CreateDirectoryA(folder.c_str(), nullptr)) ||
        !CHECK(WriteFileBytes(folder + "20200101-000000.txt", EarlierHistory(6144))) ||
        !CHECK(WriteFileBytes(folder + "20200101-000001.txt", EarlierHistory(3072))) ||
        !CHECK(WriteFileBytes(folder + "notes.txt", notes)))
        return;
    for (const char* line : {"first run", "second run"}) {
        if (!StartViewer(run))
            return;
        CHECK_SENT(Print(run.Window(), line));
        CHECK(run.Close());
    }
    const std::vector<std::string> files = HistoryFiles(run.LogPath());
    CHECK_EQ(files.size(), 3u);
    CHECK(!files.empty() && files[0] == "20200101-000001.txt");
    CHECK_EQ(FileOrAbsent(folder + "notes.txt"), notes);
    std::vector<std::string> entries = HistoryEntries(run.LogPath());
    CHECK_EQ(entries.size(), 3074u);
    CHECK_EQ(
        std::vector<std::string>(entries.end() - std::min<std::size_t>(entries.size(), 2), entries.end()),
        (std::vector<std::string>{"client\tfirst run", "client\tsecond run"}));

    if (!StartViewer(run))
        return;
    const std::string otherLog = run.Folder() + "other.log";
    CHECK_SENT(SendCommand(run.Window(), kSetLogFile, otherLog));
    CHECK_SENT(Print(run.Window(), "after the switch"));
    CHECK(run.Close());
    CHECK_EQ(HistoryEntries(otherLog), std::vector<std::string>{"client\tafter the switch"});
    CHECK_EQ(HistoryEntries(run.LogPath()).size(), 3074u);

    RemoveFolder(HistoryFolder(otherLog));
    if (!CHECK(SetSetting("HistoryLimitMB", "0")) || !StartViewer(run))
        return;
    CHECK_SENT(Print(run.Window(), "kept nowhere"));
    CHECK(run.Close());
    CHECK(!FolderExists(HistoryFolder(otherLog)));
    CHECK(DeleteSetting("HistoryLimitMB"));
}

} // namespace

int main() {
    const std::string log = NumberedLog(300);
    RunStepTests({
        {"first run defaults",
         {FirstRun(), Placement(136, 141, 650, 477), Topmost(true), Layout(true), PaneIs(""), NoBox(300),
          // Only "LogConnect" is written at start-up; the rest waits for the close.
          SettingsAre({"LogConnect=0", "Floating=<absent>", "LogFile=<absent>"}),
          NoFile("<run>\\DebugLog.txt"), Close()}},
        // The next start brings the pane back, and the next close writes it again with what was added.
        {"pane and settings survive a restart",
         {FirstRun(), Print("persist one"), Print("persist two"), PaneIs(kPersisted), Must(Close()),
          FileIs("<run>\\DebugLog.txt", kPersisted),
          SettingsAre({"Floating=1", "Toolbar=1", "Left=136", "Top=141", "Width=650", "Height=477",
                       "WindowState=0", "LogConnect=0"}),
          SettingNames("LogFile", "<run>\\DebugLog.txt"), Start(), PaneIs(kPersisted), Topmost(true),
          Print("third run line"), Close(),
          FileIs("<run>\\DebugLog.txt", kPersisted + "third run line\r\n")}},
    });
    RunTest("switches from the settings", [] {
        RunStepCases(
            {{"Floating \"0\", Toolbar \"0\", LogConnect absent",
              SwitchesCase({"Floating=0", "Toolbar=0"}, false, {"Floating=0", "Toolbar=0", "LogConnect=1"})},
             {"Floating \"false\", Toolbar \"2\", LogConnect \"0\"",
              SwitchesCase({"Floating=false", "Toolbar=2", "LogConnect=0"}, true,
                           {"Floating=1", "Toolbar=1", "LogConnect=0"})},
             {"Floating \"2\", Toolbar \"\", LogConnect \"yes\"",
              SwitchesCase({"Floating=2", "Toolbar=", "LogConnect=yes"}, true,
                           {"Floating=1", "Toolbar=1", "LogConnect=1"})}});
    });
    RunStepTests({
        {"placement from the settings",
         {NoSettings(), SetSettings(kPlacement), Start(), Placement(200, 150, 500, 400), NoBox(300), Close(),
          SettingsAre(kPlacement)}},
        // Leading spaces, a sign, and $ with up to eight hexadecimal digits are integers too.
        {"integer texts accepted",
         {NoSettings(), SetSettings({"Top=$1F", "Left= +12", "Width=$000001F4", "Height=  400"}), Start(),
          NoBox(300), Placement(12, 31, 500, 400), Close(), SettingsAre({"Top=31", "Left=12"})}},
    });
    RunTest("integer error shows a box and stops the settings", [] {
        RunStepCases(
            {{"\"Top\" = \"12a\"", IntegerErrorCase("Top", "12a", 136, 141, 650, 477)},
             {"\"Height\" = \"400 \"", IntegerErrorCase("Height", "400 ", 20, 30, 500, 477)},
             {"\"Width\" = \"2147483648\"", IntegerErrorCase("Width", "2147483648", 20, 30, 650, 477)},
             {"\"Left\" = \"$123456789\"", IntegerErrorCase("Left", "$123456789", 136, 30, 650, 477)}});
    });
    RunTest("minimised or maximised window keeps the saved placement", [] {
        RunStepCases(
            {{"WindowState \"2\"", WindowStateCase("2")}, {"WindowState \"1\"", WindowStateCase("1")}});
    });
    RunStepTests({
        // 253 characters and the zero byte fill the 254-byte buffer exactly: the name is used. One character
        // more no longer fits: the value reads as empty and the default log is used. A log file deleted since
        // the last run: the default again, and the setting is overwritten with it. The value's registry type
        // is not looked at: the bytes are the name. A name without a folder is looked up in the current
        // directory and kept as it is.
        {"log file setting and its fallback",
         Steps{NoSettings(), MakeFile("<run>\\DebugLog.txt", kFallback),
               LongLogName(253, 'a', "from the 253-character name\r\n"), Start(),
               PaneIs("from the 253-character name\r\n"), Close(), LogFileIsLongName(253, 'a'),
               LongLogName(254, 'b', "from the 254-character name\r\n"), Start(), PaneIs(kFallback), Close(),
               SettingNames("LogFile", "<run>\\DebugLog.txt")} +
             Steps{SetSettings({"LogFile=<run>\\deleted.log"}), Start(), PaneIs(kFallback), Close(),
                   SettingNames("LogFile", "<run>\\DebugLog.txt"), NoFile("<run>\\deleted.log"),
                   MakeFile("<run>\\binary.log", "named by a binary value\r\n"),
                   BinaryLogFile("<run>\\binary.log"), Start(), PaneIs("named by a binary value\r\n"),
                   Close()} +
             Steps{MakeFile("<run>\\relative.log", "named without a folder\r\n"),
                   SetSettings({"LogFile=relative.log"}), Start(), PaneIs("named without a folder\r\n"),
                   Print("added"), Close(), SettingIs("LogFile", "relative.log"),
                   FileIs("<run>\\relative.log", "named without a folder\r\nadded\r\n")}},
        // The log fills the control after the window has answered its first clients; it must still show as a
        // text loaded whole, from its top with the caret at the start, until the first print moves the view
        // to its end.
        {"a long log shows from its top until the prints come",
         {NoSettings(), MakeFile("<run>\\DebugLog.txt", log), Start(), PaneIs(log), SelectionIs(0, 0),
          FirstVisibleLineIs(true), Print("after the log"), PaneIs(log + "after the log\r\n"),
          FirstVisibleLineIs(false), Close(), FileIs("<run>\\DebugLog.txt", log + "after the log\r\n")}},
    });
    RunTest("clients that find the window while it starts", ClientsThatFindTheWindowWhileItStarts);
    RunTest("the history starts a file each run, within its limit",
            TheHistoryStartsAFileEachRunWithinItsLimit);
    Skip("the Mark line's time and the locale", "Mark is a toolbar command: e2e-ui drives it");
    return Finish();
}
