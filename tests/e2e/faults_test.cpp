// Faults a user's machine throws at the viewer: files it cannot write or read, names it cannot use, regions
// a careless client made, and two viewers racing at start-up. The viewer must keep running, say what went
// wrong where the rules say so, and never destroy output that was already safe on disk.
#include "ReferencePane.h"
#include "harness/faults.h"
#include "harness/fixture.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace e2e;

namespace {

const char* const kReadOnlyNotEnforced =
    "this system lets a program write a file marked read-only (Wine run as root), so the viewer cannot be "
    "refused by the attribute";

// The box a refused close shows; checked while it is still on the screen, then dismissed.
bool CheckRefusedClose(ViewerRun& run, const std::string& oldLog, const std::string& what) {
    PostMessageA(run.Window(), WM_CLOSE, 0, 0);
    const HWND box = WaitForMessageBox(run.ProcessId(), 15000);
    // Nothing was written half while the viewer is stopped at its error.
    std::string log;
    CHECK_MSG(ReadFileBytes(run.LogPath(), log), what + ": the log cannot be read");
    CHECK_EQ(log, oldLog);
    if (!CheckFileErrorBox(TakeBox(box), "Cannot create file ", run.LogPath(), what))
        return false;
    CHECK_MSG(!run.WaitForExit(500), what + ": the viewer closed");
    CHECK(IsWindow(run.Window()));
    CHECK_EQ(log, oldLog);
    CHECK_EQ(FilesMatching(run.Folder(), "*.tmp").size(), 0u);
    return true;
}

void LogNotWritableAtCloseKeepsTheOldLog() {
    if (!CHECK(DeleteSettings()))
        return;
    ViewerRun run;
    if (!CHECK(run.Prepared()))
        return;
    const std::string oldLog = "old line 1\r\nold line 2\r\n";
    CHECK(WriteFileBytes(run.LogPath(), oldLog));
    if (!StartViewer(run))
        return;
    CHECK_EQ(PaneText(run.Window()), oldLog);
    CHECK_SENT(Print(run.Window(), "new line"));

    // A read-only log: the viewer cannot open it for writing, where the system enforces the attribute.
    const bool readOnly = ReadOnlyIsEnforced(run.Folder());
    std::string expected = oldLog + "new line\r\n";
    if (readOnly) {
        CHECK(SetFileAttributesA(run.LogPath().c_str(), FILE_ATTRIBUTE_READONLY));
        if (!CheckRefusedClose(run, oldLog, "read-only log"))
            return;
        CHECK((GetFileAttributesA(run.LogPath().c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
        CHECK_EQ(SettingOrAbsent("Floating"), "<absent>");
        CHECK_SENT(Print(run.Window(), "after the read-only refusal"));
        expected += "after the read-only refusal\r\n";
        CHECK(SetFileAttributesA(run.LogPath().c_str(), FILE_ATTRIBUTE_NORMAL));
        Result("log read-only at close", "close refused with \"Cannot create file <log>.\", old log intact, "
                                         "closes and writes once writable");
    } else {
        Skip("read-only log at close", kReadOnlyNotEnforced);
        Result("log read-only at close", std::string("not tried: ") + kReadOnlyNotEnforced);
    }

    {
        // Another program reads the log and lets others read too, but not write.
        TFileHandle reader(CreateFileA(run.LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!CHECK(reader.Valid()))
            return;
        if (!CheckRefusedClose(run, oldLog, "log open for reading elsewhere"))
            return;
    }
    CHECK_SENT(Print(run.Window(), "after the second refusal"));
    const std::string pane = PaneText(run.Window());
    expected += "after the second refusal\r\n";
    CHECK_EQ(pane, expected);

    // Writable again: the close goes through and writes everything.
    CHECK(run.Close());
    CHECK_EQ(FileOrAbsent(run.LogPath()), pane);
    CHECK_EQ(SettingOrAbsent("Floating"), "1");
    CHECK_EQ(FilesMatching(run.Folder(), "*.tmp").size(), 0u);
    Result("log held for reading elsewhere at close", "close refused with \"Cannot create file <log>.\", old "
                                                      "log intact, closes once released");
}

// The history's folder cannot be made (a file holds its name): one line in the pane says so, prints go on
// as before, and once the folder can be made the pane says how many lines the history lacks: the failure's
// own line and those printed meanwhile.
void AHistoryFolderThatCannotBeWritten() {
    ViewerRun run;
    const std::string folder = run.LogPath() + ".history";
    if (!CHECK(DeleteSettings()) || !CHECK(run.Prepared()) ||
        !CHECK(WriteFileBytes(folder, "not a folder")) || !StartViewer(run))
        return;
    const HWND viewer = run.Window();
    const std::string failure = "***** Cannot write the history " + folder + ": ";
    CHECK(WaitFor([&] { return PaneText(viewer).find(failure) != std::string::npos; }, 5000));
    for (const char* line : {"lost 1", "lost 2", "lost 3"})
        CHECK_SENT(Print(viewer, line));
    // The history is written at least once a second: by then each of these lines has failed too.
    Sleep(1500);
    const std::string pane = PaneText(viewer);
    const std::string::size_type end = pane.find(" *****\r\n");
    CHECK_MSG(pane.compare(0, failure.size(), failure) == 0 && end != std::string::npos &&
                  pane.substr(end) == " *****\r\nlost 1\r\nlost 2\r\nlost 3\r\n",
              "pane: " + Printable(pane));

    CHECK(DeleteFileA(folder.c_str()));
    CHECK_SENT(Print(viewer, "kept again"));
    const std::string notKept = "***** 4 lines were not kept in the history " + folder + " *****";
    CHECK(WaitForPane(viewer, pane + "kept again\r\n" + notKept + "\r\n"));
    CHECK(run.Close());
    CHECK_EQ(HistoryEntries(run.LogPath()),
             (std::vector<std::string>{"client\tkept again", "viewer\t" + notKept}));
}

void SaveOntoReadOnlyFileChangesNothing() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    if (!ReadOnlyIsEnforced(run.Folder())) {
        Skip("save onto a read-only file", kReadOnlyNotEnforced);
        // Only recorded: the system lets the save through, so whether the file keeps its attribute is up to
        // how the viewer replaces it.
        const std::string target = run.Folder() + "read-only.txt";
        CHECK(WriteFileBytes(target, "read-only content\r\n"));
        CHECK(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
        const BoxedAnswer answer = SendBoxed(run, kSaveToFile, target);
        const std::string after = FileOrAbsent(target);
        const bool keptAttribute = (GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        Result("SAVETOFILE onto a read-only file",
               std::string("not tried as a fault: ") + kReadOnlyNotEnforced +
                   "; seen here: " + std::to_string(answer.boxes.size()) + " boxes, the file " +
                   (after == "read-only content\r\n" ? "unchanged" : "overwritten with the pane") +
                   ", its read-only "
                   "attribute " +
                   (keptAttribute ? "kept" : "dropped"));
        CHECK(run.Close());
        return;
    }
    CHECK_SENT(Print(run.Window(), "pane text"));
    const std::string target = run.Folder() + "read-only.txt";
    const std::string content = "read-only content\r\n";
    CHECK(WriteFileBytes(target, content));
    CHECK(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));

    CheckOneErrorBox(SendBoxed(run, kSaveToFile, target), "Cannot create file ", target,
                     "save onto a read-only file");
    CHECK_EQ(FileOrAbsent(target), content);
    CHECK((GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    CHECK_EQ(FilesMatching(run.Folder(), "*.tmp").size(), 0u);

    // Still serving, and a writable target next to it is written as usual.
    CHECK_SENT(Print(run.Window(), "still serving"));
    const std::string writable = run.Folder() + "writable.txt";
    CHECK_SENT(SendCommand(run.Window(), kSaveToFile, writable));
    CHECK_EQ(FileOrAbsent(writable), "pane text\r\nstill serving\r\n");
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(run.Close());
    Result("SAVETOFILE onto a read-only file", "\"Cannot create file <name>.\" box, file and its attribute "
                                               "unchanged, no temporary file left");
}

// A save replaces the file through a new one written beside it: what the old file was marked with stays,
// and no file of the save's own is left behind.
void SaveKeepsTheReplacedFilesAttributes() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    CHECK_SENT(Print(run.Window(), "pane text"));
    const std::string target = run.Folder() + "hidden.txt";
    CHECK(WriteFileBytes(target, "old content\r\n"));
    CHECK(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    CHECK_SENT(SendCommand(run.Window(), kSaveToFile, target));
    CHECK_EQ(FileOrAbsent(target), "pane text\r\n");
    CHECK((GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK_EQ(FilesMatching(run.Folder(), "*.tmp").size(), 0u);
    CHECK(run.Close());
    Result("SAVETOFILE onto a hidden file", "written, the file still hidden, no temporary file left");
}

void LoadOfFoldersEmptyAndLargeFiles() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK_SENT(Print(viewer, "before"));

    // A folder is not a file: nothing happens and nothing is shown, with or without the final backslash.
    const std::string folder = run.Folder() + "sub";
    CHECK(CreateDirectoryA(folder.c_str(), nullptr));
    for (const std::string& name : {folder, folder + "\\"}) {
        const BoxedAnswer answer = SendBoxed(run, kLoadFromFile, name);
        CHECK(answer.answered);
        CHECK_EQ(answer.boxes.size(), 0u);
        CHECK_EQ(PaneText(viewer), "before\r\n");
    }
    Result("LOADFROMFILE of a folder", "nothing happens, no box");

    const std::string empty = run.Folder() + "empty.txt";
    CHECK(WriteFileBytes(empty, ""));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, empty));
    CHECK_EQ(PaneText(viewer), "");
    Result("LOADFROMFILE of an empty file", "pane emptied");

    // Loaded text is not trimmed, however long.
    const std::size_t bigSize = 3 * 1024 * 1024;
    const std::string big = FillerLines(bigSize);
    const std::string bigFile = run.Folder() + "big.txt";
    CHECK(WriteFileBytes(bigFile, big));
    // Taking in megabytes keeps the viewer busy for seconds under Wine: wait longer than for a line.
    const DWORD loadStart = GetTickCount();
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, bigFile, 60000));
    std::string pane;
    CHECK(WaitFor([&] { return ReadPane(viewer, pane) && pane.size() == big.size(); }, 15000));
    Figure("load_3mb_ms", static_cast<long long>(GetTickCount() - loadStart));
    const bool whole = pane == big;
    CHECK_MSG(whole, "the pane does not hold the loaded file whole" + FirstDifference(pane, big));

    // The next print trims by the rule: n = L - m - 25051 characters from the top.
    const std::string message = "after the big load";
    const std::size_t removed = big.size() - message.size() - 25051;
    CHECK_SENT(SendCommand(viewer, kPrint, message, 60000));
    const std::string expected = ReferenceTrimmed(big, removed) + message + "\r\n";
    CHECK(WaitFor([&] { return ReadPane(viewer, pane) && pane.size() == expected.size(); }, 15000));
    const bool trimmed = pane == expected;
    CHECK_MSG(trimmed, "the trimmed pane" + FirstDifference(pane, expected));
    Result("LOADFROMFILE of a 3 MB file", std::string(whole ? "pane holds all " : "pane does NOT hold all ") +
                                              std::to_string(big.size()) + " characters; the next print " +
                                              (trimmed ? "removes " : "does NOT remove exactly ") +
                                              std::to_string(removed) + " by the rule");

    CHECK(run.Close());
    std::string log;
    CHECK(ReadFileBytes(run.LogPath(), log));
    CHECK_MSG(log == expected, "the log at close" + FirstDifference(log, expected));
}

void SetLogFileRefusesUnusableNames() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK_SENT(Print(viewer, "kept"));
    const std::string folder = run.Folder() + "a folder";
    CHECK(CreateDirectoryA(folder.c_str(), nullptr));
    std::string longName = run.Folder() + "long-";
    longName += std::string(300 - longName.size() - 4, 'n') + ".log";

    std::string expected = "kept\r\n";
    for (const std::string& name : {folder, folder + "\\", longName}) {
        std::printf("  case: %s (%u characters)\n", name.c_str(), static_cast<unsigned>(name.size()));
        const BoxedAnswer answer = SendBoxed(run, kSetLogFile, name);
        CHECK(answer.answered);
        CHECK_EQ(answer.boxes.size(), 0u);
        expected += SetLogFileErrorLine(name);
        CHECK_EQ(PaneText(viewer), expected);
        // The probe never deletes what it did not create.
        CHECK(FolderExists(folder));
    }
    CHECK_EQ(longName.size(), 300u);
    CHECK(!FileExists(longName));
    Result("SETLOGFILE with a folder", "error line with the name upper-cased, folder kept, log unchanged");
    Result("SETLOGFILE with a 300-character name", "error line with the name upper-cased, log unchanged");

    // The log file stayed the default one and receives the pane at close.
    CHECK(run.Close());
    CHECK_MSG(SameFileName(SettingOrAbsent("LogFile"), run.LogPath()), SettingOrAbsent("LogFile"));
    CHECK_EQ(FileOrAbsent(run.LogPath()), expected);
}

void SixtyFourByteRegionCreatedFirst() {
    // A client created the region before the viewer, 64 bytes, and filled it without a zero byte.
    Region early = Region::Create(64);
    if (!ReadyForFirstRunWith(early))
        return;
    CHECK(early.Write(0, std::string(64, 'R')));
    const std::size_t view = early.ViewSize();
    Figure("region64_view_bytes", static_cast<long long>(view));

    ViewerRun run;
    if (!StartViewer(run))
        return;
    const HWND viewer = run.Window();
    CHECK(FindMessageBox(run.ProcessId()) == nullptr);
    CHECK_SENT(SendOnRegion(viewer, kPrint));
    // The rest of the page beyond the 64 bytes reads as zero.
    std::string expected = std::string(63, 'R') + "\r\n";
    CHECK_EQ(PaneText(viewer), expected);

    // The client fills the whole page its view reaches: the viewer reads up to the end of the view, no
    // further.
    CHECK(early.Write(0, std::string(view, 'S')));
    CHECK_SENT(SendOnRegion(viewer, kPrint));
    CHECK(run.Running());
    expected += std::string(view - 1, 'S') + "\r\n";
    CHECK_EQ(PaneText(viewer), expected);

    CHECK_SENT(Print(viewer, "ordinary"));
    expected += "ordinary\r\n";
    CHECK_EQ(PaneText(viewer), expected);
    CHECK(run.Close());
    Result("region of 64 bytes created first, no zero byte",
           "print reads 63 bytes; with the whole " + std::to_string(view) + "-byte page filled, " +
               std::to_string(view - 1) + " bytes; no crash");
}

void LargeRegionCreatedFirst() {
    const DWORD size = 65536;
    Region early = Region::Create(size);
    if (!ReadyForFirstRunWith(early))
        return;
    CHECK(early.Write(0, std::string(size, 'L')));

    ViewerRun run;
    if (!StartViewer(run))
        return;
    const HWND viewer = run.Window();
    CHECK_SENT(SendOnRegion(viewer, kPrint));
    CHECK(run.Running());
    // The whole view is one text; the rule removes nothing when n is negative.
    std::string expected = std::string(size - 1, 'L') + "\r\n";
    std::string pane;
    CHECK(WaitFor([&] { return ReadPane(viewer, pane) && pane.size() == expected.size(); }, 5000));
    CHECK_MSG(pane == expected, "the pane" + FirstDifference(pane, expected));

    CHECK_SENT(Print(viewer, "small"));
    const std::size_t removed = expected.size() - 5 - 25051;
    expected = ReferenceTrimmed(expected, removed) + "small\r\n";
    CHECK(WaitFor([&] { return ReadPane(viewer, pane) && pane.size() == expected.size(); }, 5000));
    CHECK_MSG(pane == expected, "the pane after the next print" + FirstDifference(pane, expected));
    CHECK(run.Close());
    Result("region of 64 KB created first, no zero byte",
           "print appends 65535 characters, nothing removed; the next print trims " +
               std::to_string(removed));
}

void TwoViewersStartedAtTheSameMoment() {
    const int rounds = 4;
    int survivedAlone = 0;
    for (int round = 0; round < rounds; ++round) {
        std::printf("  round %d\n", round + 1);
        if (!CHECK(DeleteSettings()))
            return;
        ViewerRun first;
        ViewerRun second;
        if (!CHECK(first.Prepared() && second.Prepared()))
            return;
        // Back to back, without waiting for either.
        if (!CHECK(first.Launch()) || !CHECK(second.Launch()))
            return;
        CHECK_MSG(WaitFor([&] { return !first.Running() || !second.Running(); }, 20000),
                  "neither viewer ended");
        ViewerRun& survivor = first.Running() ? first : second;
        ViewerRun& loser = first.Running() ? second : first;
        if (!CHECK(survivor.WaitForWindow()) || !CHECK(survivor.WaitVisible()))
            return;
        // Give a late second window the time to appear before counting.
        Sleep(500);
        const std::vector<HWND> windows = AllViewerWindows();
        CHECK_EQ(windows.size(), 1u);
        CHECK(!loser.Running());
        CHECK(FindViewerWindow(loser.ProcessId()) == nullptr);
        CHECK(survivor.Running());

        const std::string line = "survivor of round " + std::to_string(round + 1);
        CHECK_SENT(Print(survivor.Window(), line));
        CHECK_EQ(PaneText(survivor.Window()), line + "\r\n");
        CHECK(survivor.Close());
        CHECK_EQ(FileOrAbsent(survivor.LogPath()), line + "\r\n");
        CHECK(!FileExists(loser.LogPath()));
        if (windows.size() == 1 && !loser.Running())
            ++survivedAlone;
    }
    Figure("simultaneous_start_rounds", rounds);
    Figure("simultaneous_start_one_survivor", survivedAlone);
    Result("two viewers started at the same moment",
           std::to_string(survivedAlone) + " of " + std::to_string(rounds) +
               " rounds left exactly one window; the other process ended; the survivor prints and logs");
}

} // namespace

int main() {
    RunTest("log not writable at close keeps the old log", LogNotWritableAtCloseKeepsTheOldLog);
    RunTest("a history folder that cannot be written", AHistoryFolderThatCannotBeWritten);
    RunTest("save onto a read-only file changes nothing", SaveOntoReadOnlyFileChangesNothing);
    RunTest("a save keeps the replaced file's attributes", SaveKeepsTheReplacedFilesAttributes);
    RunTest("load of folders, empty and large files", LoadOfFoldersEmptyAndLargeFiles);
    RunTest("set log file refuses unusable names", SetLogFileRefusesUnusableNames);
    RunTest("a 64-byte region created first", SixtyFourByteRegionCreatedFirst);
    RunTest("a large region created first", LargeRegionCreatedFirst);
    RunTest("two viewers started at the same moment", TwoViewersStartedAtTheSameMoment);
    return Finish();
}
