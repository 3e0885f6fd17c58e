// The client channel seen from a client: the five commands through the shared region, and what each one
// leaves in the pane and on disk.
#include "ReferencePane.h"
#include "harness/faults.h"
#include "harness/fixture.h"

#include <cstdio>

using namespace e2e;

namespace {

const std::string kCrLf = "\r\n";

void PrintAppendsLinesInOrder() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK_EQ(CountEditChildren(viewer), 1);
    CHECK_EQ(PaneText(viewer), "");

    CHECK_SENT(Print(viewer, "first"));
    CHECK_SENT(Print(viewer, "second"));
    CHECK_SENT(Print(viewer, "third"));
    CHECK_EQ(PaneText(viewer), "first\r\nsecond\r\nthird\r\n");

    // An empty text is still a line of its own.
    CHECK_SENT(Print(viewer, ""));
    CHECK_SENT(Print(viewer, "after empty"));
    CHECK_EQ(PaneText(viewer), "first\r\nsecond\r\nthird\r\n\r\nafter empty\r\n");

    // CR LF inside a text splits it into pane lines; a lone CR or LF is kept as it is.
    CHECK_SENT(Clear(viewer));
    CHECK_SENT(Print(viewer, "a\r\nb"));
    CHECK_SENT(Print(viewer, "x\ry"));
    CHECK_SENT(Print(viewer, "p\nq"));
    CHECK_EQ(PaneText(viewer), "a\r\nb\r\nx\ry\r\np\nq\r\n");
    CHECK(run.Close());
}

void PrintReadsTheRegionLayout() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    // Byte 0 is not part of the text, whatever a client keeps there.
    CHECK_SENT(SendRawCommand(viewer, kPrint,
                              std::string("\x05"
                                          "Hello",
                                          6) +
                                  std::string(1, '\0')));
    CHECK_EQ(PaneText(viewer), "Hello\r\n");

    // The text ends at its zero byte: what an earlier, longer text left behind it is not read.
    CHECK_SENT(Clear(viewer));
    CHECK_SENT(Print(viewer, Filler(300)));
    CHECK_SENT(Print(viewer, "short"));
    CHECK_EQ(PaneText(viewer), Filler(300) + kCrLf + "short\r\n");

    // The longest text the layout allows, its zero byte in the region's last byte.
    CHECK_SENT(Clear(viewer));
    const std::string longest = Filler(kLongestText, 3);
    CHECK_SENT(Print(viewer, longest));
    CHECK_EQ(PaneText(viewer), longest + kCrLf);
    CHECK(run.Close());
}

void PrintOfUnterminatedRegionStopsAtItsEnd() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    // No zero byte anywhere in the region: the text runs to the end of the region and not beyond it.
    CHECK_SENT(SendRawCommand(viewer, kPrint, std::string(kRegionSize, 'Z')));
    CHECK(run.Running());
    CHECK_EQ(PaneText(viewer), std::string(kRegionSize - 1, 'Z') + kCrLf);

    CHECK_SENT(Print(viewer, "still serving"));
    CHECK_EQ(PaneText(viewer), std::string(kRegionSize - 1, 'Z') + kCrLf + "still serving\r\n");
    CHECK(run.Close());
}

void EightBitTextKeepsItsBytes() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const std::string file = run.Folder() + "eight-bit.txt";

    // Characters of the single-byte code page above 127 pass through the pane and its files unchanged.
    const std::string text = "Gr\xFC\xDF"
                             "e \xE9t\xE9 \xA9 \xB5\xE6\xF8 \x80";
    CHECK_SENT(Print(viewer, text));
    CHECK_EQ(PaneText(viewer), text + kCrLf);
    CHECK_SENT(SendCommand(viewer, kSaveToFile, file));
    CHECK_EQ(FileOrAbsent(file), text + kCrLf);
    CHECK_SENT(Clear(viewer));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, file));
    CHECK_EQ(PaneText(viewer), text + kCrLf);
    CHECK(run.Close());
}

void ClearEmptiesThePane() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    CHECK_SENT(Clear(viewer));
    CHECK_EQ(PaneText(viewer), "");
    CHECK_SENT(Print(viewer, "one"));
    CHECK_SENT(Print(viewer, "two"));
    CHECK_SENT(Clear(viewer));
    CHECK_EQ(PaneText(viewer), "");
    CHECK_SENT(Print(viewer, "fresh"));
    CHECK_EQ(PaneText(viewer), "fresh\r\n");
    CHECK(run.Close());
}

void LoadFromFileReplacesThePane() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const std::string file = run.Folder() + "import.txt";

    // Lone CR and lone LF become CR LF; CR LF stays a single break.
    CHECK_SENT(Print(viewer, "replaced"));
    CHECK(WriteFileBytes(file, "one\rtwo\nthree\r\nfour"));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, file));
    CHECK_EQ(PaneText(viewer), "one\r\ntwo\r\nthree\r\nfour");

    // The loaded text has no final break: the next line starts on a line of its own.
    CHECK_SENT(Print(viewer, "five"));
    CHECK_EQ(PaneText(viewer), "one\r\ntwo\r\nthree\r\nfour\r\nfive");

    CHECK(WriteFileBytes(file, "a\r\r\nb\n\nc\n\rd\r"));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, file));
    CHECK_EQ(PaneText(viewer), "a\r\n\r\nb\r\n\r\nc\r\n\r\nd\r\n");

    // The text ends at the file's first zero byte.
    CHECK(WriteFileBytes(file, std::string("abc\r\n\0def\r\n", 11)));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, file));
    CHECK_EQ(PaneText(viewer), "abc\r\n");

    // An empty file empties the pane.
    CHECK(WriteFileBytes(file, ""));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, file));
    CHECK_EQ(PaneText(viewer), "");
    CHECK(run.Close());
}

void LoadOfMissingFileDoesNothing() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    CHECK_SENT(Print(viewer, "stays"));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, run.Folder() + "no-such-file.txt"));
    CHECK_EQ(PaneText(viewer), "stays\r\n");
    // A folder is not a file either.
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, run.Folder().substr(0, run.Folder().size() - 1)));
    CHECK_EQ(PaneText(viewer), "stays\r\n");
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, ""));
    CHECK_EQ(PaneText(viewer), "stays\r\n");
    CHECK(FindMessageBox(run.ProcessId()) == nullptr);
    CHECK(run.Close());
}

void SaveToFileWritesThePaneExactly() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const std::string file = run.Folder() + "export.txt";
    std::string saved;

    // An empty pane gives an empty file.
    CHECK_SENT(SendCommand(viewer, kSaveToFile, file));
    CHECK_EQ(FileOrAbsent(file), "");

    CHECK_SENT(Print(viewer, "a"));
    CHECK_SENT(Print(viewer, "b"));
    CHECK_SENT(SendCommand(viewer, kSaveToFile, file));
    CHECK_EQ(FileOrAbsent(file), "a\r\nb\r\n");

    // A pane without a final break is saved without one; a longer old file is cut to the new text.
    const std::string source = run.Folder() + "source.txt";
    CHECK(WriteFileBytes(file, Filler(500)));
    CHECK(WriteFileBytes(source, "x\r\ny"));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, source));
    CHECK_SENT(SendCommand(viewer, kSaveToFile, file));
    CHECK_EQ(FileOrAbsent(file), "x\r\ny");
    CHECK(run.Close());
}

void SetLogFileToNewName() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const std::string newLog = run.Folder() + "switched.log";

    CHECK_SENT(Print(viewer, "kept"));
    CHECK_SENT(SendCommand(viewer, kSetLogFile, newLog));
    // The pane went into the log being left; the probe of the new name left nothing behind.
    CHECK_EQ(FileOrAbsent(run.LogPath()), "kept\r\n");
    CHECK(!FileExists(newLog));
    CHECK_EQ(PaneText(viewer), "kept\r\n");

    CHECK_SENT(Print(viewer, "more"));
    CHECK(run.Close());
    CHECK_EQ(SettingOrAbsent("LogFile"), newLog);
    CHECK_EQ(FileOrAbsent(newLog), "kept\r\nmore\r\n");
    CHECK_EQ(FileOrAbsent(run.LogPath()), "kept\r\n");
}

void SetLogFileToNameWithoutFolder() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    // The name is used as it is, relative to the viewer's current directory (its folder here).
    CHECK_SENT(Print(viewer, "relative"));
    CHECK_SENT(SendCommand(viewer, kSetLogFile, "relative.log"));
    CHECK(!FileExists(run.Folder() + "relative.log"));
    CHECK(run.Close());
    CHECK_EQ(SettingOrAbsent("LogFile"), "relative.log");
    CHECK_EQ(FileOrAbsent(run.Folder() + "relative.log"), "relative\r\n");
}

void SetLogFileToExistingFileLoadsIt() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const std::string newLog = run.Folder() + "existing.log";
    CHECK(WriteFileBytes(newLog, "from the other log\r\n"));

    CHECK_SENT(Print(viewer, "before switch"));
    CHECK_SENT(SendCommand(viewer, kSetLogFile, newLog));
    CHECK_EQ(PaneText(viewer), "from the other log\r\n");
    CHECK_EQ(FileOrAbsent(run.LogPath()), "before switch\r\n");
    // The probe opened the existing file without touching its content.
    CHECK_EQ(FileOrAbsent(newLog), "from the other log\r\n");
    CHECK(run.Close());
    CHECK_EQ(SettingOrAbsent("LogFile"), newLog);
}

void SetLogFileToUnwritableName() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    if (!CHECK_MSG(!FolderExists("c:\\no"), "c:\\no exists on this machine; the test needs it absent"))
        return;

    CHECK_SENT(Print(viewer, "x"));
    CHECK_SENT(SendCommand(viewer, kSetLogFile, "c:\\no\\such\\dir\\x.txt"));
    CHECK_EQ(PaneText(viewer), "x\r\nError: Cannot set LogFile to \"C:\\NO\\SUCH\\DIR\\X.TXT\"\r\n");
    CHECK(!FolderExists("c:\\no"));
    CHECK(FindMessageBox(run.ProcessId()) == nullptr);

    // An empty name cannot be created either.
    CHECK_SENT(SendCommand(viewer, kSetLogFile, ""));
    CHECK_EQ(PaneText(viewer), "x\r\nError: Cannot set LogFile to \"C:\\NO\\SUCH\\DIR\\X.TXT\"\r\n"
                               "Error: Cannot set LogFile to \"\"\r\n");

    // Only a to z are made upper case: a letter beyond ASCII and the other characters stay as they are.
    CHECK_SENT(SendCommand(viewer, kSetLogFile, "c:\\no\\Gr\xFC\xDF\xE9_z~1.txt"));
    const std::string lines = "x\r\nError: Cannot set LogFile to \"C:\\NO\\SUCH\\DIR\\X.TXT\"\r\n"
                              "Error: Cannot set LogFile to \"\"\r\n"
                              "Error: Cannot set LogFile to \"C:\\NO\\GR\xFC\xDF\xE9_Z~1.TXT\"\r\n";
    CHECK_EQ(PaneText(viewer), lines);

    // The log file stays the default one.
    CHECK(run.Close());
    CHECK(SameFileName(SettingOrAbsent("LogFile"), run.LogPath()));
    CHECK_EQ(FileOrAbsent(run.LogPath()), lines);
}

// A command whose file cannot be used: the general error display shows the error inside the handling of the
// command, and the sender's call returns 0 once the box is dismissed.
void FileErrorsOfCommandsShowABox() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK_SENT(Print(viewer, "pane before"));
    const std::string held = run.Folder() + "held.txt";
    CHECK(WriteFileBytes(held, "held content\r\n"));
    LockedFile lock(held, false);
    if (!CHECK(lock.Held()))
        return;

    CheckOneErrorBox(SendBoxed(run, kLoadFromFile, held), "Cannot open file ", held, "load of a held file");
    CHECK_EQ(PaneText(viewer), "pane before\r\n");

    CheckOneErrorBox(SendBoxed(run, kSaveToFile, held), "Cannot create file ", held, "save to a held file");
    const std::string noFolder = run.Folder() + "missing\\out.txt";
    CheckOneErrorBox(SendBoxed(run, kSaveToFile, noFolder), "Cannot create file ", noFolder,
                     "save into a missing folder");
    const std::string folder = run.Folder().substr(0, run.Folder().size() - 1);
    CheckOneErrorBox(SendBoxed(run, kSaveToFile, folder), "Cannot create file ", folder,
                     "save onto a folder");

    // An existing file that cannot be opened for writing fails the probe: an error line, no box.
    const BoxedAnswer probe = SendBoxed(run, kSetLogFile, held);
    CHECK(probe.answered);
    CHECK_EQ(probe.boxes.size(), 0u);
    CHECK_EQ(PaneText(viewer), "pane before\r\n" + SetLogFileErrorLine(held));

    lock.Release();
    CHECK_EQ(FileOrAbsent(held), "held content\r\n");
    CHECK_SENT(Print(viewer, "still serving"));
    CHECK(run.Close());
    CHECK(SameFileName(SettingOrAbsent("LogFile"), run.LogPath()));
}

void SetLogFileWhileTheOldLogIsHeld() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const std::string newLog = run.Folder() + "wanted.log";
    CHECK_SENT(Print(viewer, "kept"));
    LockedFile lock(run.LogPath(), true);
    if (!CHECK(lock.Held()))
        return;

    // Saving into the log being left fails: the switch does not happen.
    CheckOneErrorBox(SendBoxed(run, kSetLogFile, newLog), "Cannot create file ", run.LogPath(),
                     "set log file while the old log is held");
    CHECK_EQ(PaneText(viewer), "kept\r\n");
    CHECK(!FileExists(newLog));

    lock.Release();
    CHECK(run.Close());
    CHECK(SameFileName(SettingOrAbsent("LogFile"), run.LogPath()));
    CHECK_EQ(FileOrAbsent(run.LogPath()), "kept\r\n");
    CHECK(!FileExists(newLog));
}

void CapacityRuleAtItsBoundaries() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const std::string file = run.Folder() + "fill.txt";

    // The removal counts characters, not lines: a pane whose last line has no break is trimmed the same way,
    // and the message then goes on a line of its own without a final break.
    {
        std::printf("  case: a loaded pane without a final break\n");
        const std::string full = FillerLines(29900);
        const std::string pane = full.substr(0, full.size() - 2);
        const std::string message = Filler(100, 11);
        if (!CHECK(WriteFileBytes(file, pane)))
            return;
        CHECK_SENT(SendCommand(viewer, kLoadFromFile, file));
        CHECK_SENT(Print(viewer, message));
        CHECK_EQ(PaneText(viewer), ReferenceTrimmed(pane, 4747) + kCrLf + message);
    }
    for (const TCapacityCase& c : ReferenceCapacityCases) {
        std::printf("  case: %s\n", c.what);
        const std::string pane = FillerLines(c.paneLength);
        const std::string message = Filler(c.messageLength, 11);
        if (!CHECK(WriteFileBytes(file, pane)))
            return;
        CHECK_SENT(SendCommand(viewer, kLoadFromFile, file));
        CHECK_EQ(PaneText(viewer).size(), pane.size());
        CHECK_SENT(Print(viewer, message));
        CHECK_EQ(PaneText(viewer), ReferenceTrimmed(pane, c.removed) + message + kCrLf);
    }
    CHECK(run.Close());
}

void CapacityRuleWhilePrinting() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    // A log of 24900 characters and 50 printed lines of 100 characters with their breaks fill the pane to
    // 29900; the next line (98 characters) reaches the budget and 29900 - 98 - 25051 = 4751 characters go.
    const std::string file = run.Folder() + "earlier.log";
    std::string expected = FillerLines(24900, 98);
    if (!CHECK(WriteFileBytes(file, expected)))
        return;
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, file));
    for (int line = 0; line < 50; ++line) {
        const std::string text = Filler(98, line);
        if (!CHECK_SENT(Print(viewer, text)))
            return;
        expected += text + kCrLf;
    }
    CHECK_EQ(PaneText(viewer), expected);
    const std::string last = Filler(98, 299);
    CHECK_SENT(Print(viewer, last));
    expected = ReferenceTrimmed(expected, 4751) + last + kCrLf;
    CHECK_EQ(PaneText(viewer), expected);

    // The trimmed pane is far below the budget again: the next line is simply appended.
    CHECK_SENT(Print(viewer, "next"));
    CHECK_EQ(PaneText(viewer), expected + "next\r\n");
    CHECK(run.Close());
}

void RegionCreatedByClientBeforeStart() {
    Region early = Region::Create(static_cast<DWORD>(kRegionSize));
    if (!ReadyForFirstRunWith(early))
        return;

    ViewerRun run;
    if (!StartViewer(run))
        return;
    const HWND viewer = run.Window();
    CHECK(FindMessageBox(run.ProcessId()) == nullptr);
    // The viewer reads what is written through the client's own view: both share one object.
    CHECK(early.WriteText("through the early region"));
    CHECK_SENT(SendOnRegion(viewer, kPrint));
    CHECK_EQ(PaneText(viewer), "through the early region\r\n");
    CHECK(run.Close());
}

void SmallRegionCreatedByClient() {
    // A client made the region smaller than 4096 bytes and filled all of it, leaving no zero byte.
    const DWORD small = 512;
    Region early = Region::Create(small);
    if (!ReadyForFirstRunWith(early))
        return;
    CHECK(early.Write(0, std::string(small, 'Q')));

    ViewerRun run;
    if (!StartViewer(run))
        return;
    const HWND viewer = run.Window();
    CHECK_SENT(SendOnRegion(viewer, kPrint));
    CHECK(run.Running());
    CHECK_EQ(PaneText(viewer), std::string(small - 1, 'Q') + kCrLf);
    CHECK(run.Close());
}

} // namespace

int main() {
    RunTest("print appends lines in order", PrintAppendsLinesInOrder);
    RunTest("print reads the region layout", PrintReadsTheRegionLayout);
    RunTest("print of an unterminated region stops at its end", PrintOfUnterminatedRegionStopsAtItsEnd);
    RunTest("eight-bit text keeps its bytes", EightBitTextKeepsItsBytes);
    RunTest("clear empties the pane", ClearEmptiesThePane);
    RunTest("load from file replaces the pane", LoadFromFileReplacesThePane);
    RunTest("load of a missing file does nothing", LoadOfMissingFileDoesNothing);
    RunTest("save to file writes the pane exactly", SaveToFileWritesThePaneExactly);
    RunTest("set log file to a new name", SetLogFileToNewName);
    RunTest("set log file to a name without a folder", SetLogFileToNameWithoutFolder);
    RunTest("set log file to an existing file loads it", SetLogFileToExistingFileLoadsIt);
    RunTest("set log file to an unwritable name", SetLogFileToUnwritableName);
    RunTest("file errors of commands show a box", FileErrorsOfCommandsShowABox);
    RunTest("set log file while the old log is held", SetLogFileWhileTheOldLogIsHeld);
    RunTest("capacity rule at its boundaries", CapacityRuleAtItsBoundaries);
    RunTest("capacity rule while printing", CapacityRuleWhilePrinting);
    RunTest("region created by a client before the start", RegionCreatedByClientBeforeStart);
    RunTest("small region created by a client", SmallRegionCreatedByClient);
    Skip("commands with Debug Output off", "the switch is a toolbar control: e2e-ui drives it");
    return Finish();
}
